// Schedule discovery through nwk-discover on the bundled sample: the policies
// against reviewed golden files, and what the log says about each resource.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestUtil.h"

namespace {

const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/schedule";
const std::string kPolicySuffix = "_TMMsg_CreateTaskReq.xml";

std::vector<std::string> PolicyFiles(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    std::string name = entry.path().filename().string();
    if (name.size() > kPolicySuffix.size() && name.substr(name.size() - kPolicySuffix.size()) == kPolicySuffix)
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

class ScheduleDiscovery : public ::testing::Test {
 protected:
  // Client discovery first: schedule discovery reads the clients and groups it leaves.
  void SetUp() override {
    // The patterns carry the local time zone's name: pin it.
    std::vector<std::string> argv = {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", Out(), "clients",
                                     "schedule"};
    ASSERT_EQ(testutil::RunProgram(argv, {"TZ=UTC"}, &output_), 0) << output_;
    log_ = testutil::ReadFile(Out() + "/nwk-discover.log");
  }
  std::string Out() const { return dir_ / "out"; }

  testutil::ScopedTempDir dir_;
  std::string output_, log_;
};

TEST_F(ScheduleDiscovery, BundledSampleMatchesTheGoldenFiles) {
  EXPECT_NE(output_.find("schedule  ok"), std::string::npos) << output_;
  std::vector<std::string> golden = PolicyFiles(kGolden);
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(PolicyFiles(Out() + "/xml"), golden);
  for (const std::string& name : golden)
    EXPECT_EQ(testutil::ReadFile(Out() + "/xml/" + name), testutil::ReadFile(kGolden + "/" + name)) << name;
}

TEST_F(ScheduleDiscovery, LogNamesEachResourceAndTheOneSkipped) {
  // lnxweb02 names no schedule and UNIX_Daily imposes none: the one skip, right
  // after its resource's first line.
  size_t building =
      log_.find("DiscoverSchedule Debug: Building schedule pattern[] for policy [subclient1] client [lnxweb02]");
  ASSERT_NE(building, std::string::npos) << log_;
  EXPECT_EQ(log_.find("DiscoverSchedule Debug: ", building + 1),
            log_.find("DiscoverSchedule Debug: Skipping schedule creation for policy [subclient1]"));
  EXPECT_EQ(Count(log_, "Skipping schedule creation"), 1u) << log_;
  EXPECT_EQ(Count(log_, "Passing over policy"), 0u) << log_;
  // Default resources (no group) pass silently after their first line.
  EXPECT_EQ(Count(log_, "for policy [Manual]"), Count(log_, "Building schedule pattern[] for policy [Manual]"));
  // ORA_Prod imposes its schedule; the driver's lines still name the resource's own.
  for (const char* line :
       {"DiscoverSchedule Debug: Building schedule pattern[Default] for policy [subclient2] client [lnxora01]",
        "BuildSchedule Debug: Building schedule [Oracle Weekend Full] for policy [subclient2], client [lnxora01]",
        "DiscoverSchedule Debug: Built schedule pattern[Default] for policy [subclient2] client [lnxora01]"})
    EXPECT_NE(log_.find(line), std::string::npos) << line;
  // Each policy is handed over once by its task name; three resources share this one.
  EXPECT_EQ(Count(log_, "processItemIdb"), PolicyFiles(kGolden).size());
  EXPECT_EQ(Count(log_, "Handed [Default_UNIX_Daily] to the host as TMMsg::CreateTaskReq"), 1u) << log_;
}

}  // namespace
