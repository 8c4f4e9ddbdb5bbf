// Media discovery through nwk-discover: the sample against reviewed library,
// media and storage policy messages, media that carry their jobs only once
// job discovery has written them, and the emulated server.
#include <gtest/gtest.h>

#include "DiscoverRun.h"
#include "TestUtil.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/media";
const char* kMessages[] = {"00011_FDC_ForeignLibraries.xml", "00012_FDC_ForeignMedias.xml",
                           "00013_FDC_StoragePolicyList.xml"};

class MediaDiscovery : public DiscoverRun {};

TEST_F(MediaDiscovery, SampleGivesTheReviewedLibrariesMediaAndPolicies) {
  std::string out = dir_ / "out";
  ASSERT_EQ(Discover(out, {"config", "clients", "jobs", "media"}), 0) << output_;
  for (const char* name : kMessages)
    EXPECT_EQ(testutil::ReadFile(out + "/xml/" + name), testutil::ReadFile(kGolden + "/" + name)) << name;
  std::string log = testutil::ReadFile(out + "/nwk-discover.log");
  EXPECT_NE(log.find("Successfully collected library information. [2] libraries discovered"), std::string::npos);
  EXPECT_NE(log.find("Collected [6] storage policies successfully"), std::string::npos) << log;
  EXPECT_EQ(output_.find("error:"), std::string::npos) << output_;  // success is not reported as an error
}

// The golden media carry their jobs; without job discovery they carry none.
TEST_F(MediaDiscovery, MediaCarryNoJobsWithoutJobDiscovery) {
  ASSERT_EQ(Discover(dir_ / "alone", {"config", "clients", "media"}), 0) << output_;
  std::string media = testutil::ReadFile(dir_ / "alone/xml/00004_FDC_ForeignMedias.xml");
  EXPECT_NE(media.find("<int64 i=\"1\" t=\"1\">218</int64>"), std::string::npos);
  EXPECT_EQ(media.find("<int64 i=\"1\" t=\"1\">203</int64>"), std::string::npos);
  for (const std::string& name : testutil::ListDir(dir_ / "alone", ".txt"))  // looking up jobs makes no file
    EXPECT_EQ(name.rfind("tarn_", 0), 0u) << name;
}

// The emulated server gives every message and report the replay gives. It has
// no registry to ask for the date format: the setting gives the sample's, as it
// would for a server whose format cannot be read.
TEST_F(MediaDiscovery, EmulatedServerGivesWhatTheReplayGives) {
  std::vector<std::string> env = {std::string("PATH=") + NWK_EMULATOR_DIR + ":/usr/bin:/bin",
                                  "NWK_EMULATOR_DATA=" + kSample};
  testutil::WriteFile(dir_ / "settings.ini", "[Pluvex]\nsNWKLOCALEFORMAT=dd/MM/yyyy\n");
  const std::vector<std::string> operations = {"--settings", dir_ / "settings.ini", "config", "clients", "jobs", "media"};
  ASSERT_EQ(Discover(dir_ / "replay", operations), 0) << output_;
  std::vector<std::string> live = operations;
  live.insert(live.begin(), "--live");
  ASSERT_EQ(Discover(dir_ / "live", live, env), 0) << output_;
  std::vector<std::string> names = testutil::ListDir(dir_ / "replay/xml", ".xml");
  EXPECT_EQ(testutil::ListDir(dir_ / "live/xml", ".xml"), names);
  names.push_back("../tarn_client.txt");
  for (const std::string& name : names)
    EXPECT_EQ(testutil::ReadFile(dir_ / "live/xml/" + name), testutil::ReadFile(dir_ / "replay/xml/" + name)) << name;
}

}  // namespace
