// Schedule discovery through nwk-discover on the bundled sample: the policies
// against reviewed golden files.
#include <gtest/gtest.h>

#include "DiscoverRun.h"

namespace {

const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/schedule";

class ScheduleDiscovery : public DiscoverRun {};

// Client discovery first: schedule discovery reads the clients and groups it
// leaves. The patterns carry the time zone's name, which the fixture pins.
TEST_F(ScheduleDiscovery, BundledSampleMatchesTheGoldenFiles) {
  ASSERT_EQ(Discover(dir_ / "out", {"clients", "schedule"}), 0) << output_;
  testutil::ExpectGoldenFiles(dir_ / "out/xml", kGolden, "_TMMsg_CreateTaskReq.xml");
}

}  // namespace
