// Media discovery through nwk-discover: the sample against reviewed library,
// media and storage policy messages, media that carry their jobs only once
// job discovery has written them, and the emulated server.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "handler/MessageBuild.h"
#include "hx/Strings.h"
#include "hx/XmlForm.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/media";
const char* kMessages[] = {"00011_FDC_ForeignLibraries.xml", "00012_FDC_ForeignMedias.xml",
                           "00013_FDC_StoragePolicyList.xml"};

class MediaDiscovery : public ::testing::Test {
 protected:
  int Discover(const std::string& out, std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", out});
    env.push_back("TZ=UTC");
    return testutil::RunProgram(args, env, &output_);
  }
  // Job keys (info items 203) of each medium, by medium name.
  std::map<std::string, std::vector<std::string>> JobsOfMedia(const std::string& file) {
    CNMessageBase medias(0, 0);
    std::string error;
    EXPECT_TRUE(hx::ReadMessageXmlFile(file, &medias, &error)) << error;
    std::map<std::string, std::vector<std::string>> jobs;
    CNMessageBase* list = medias.getObjectAccessor(true, false, 4, 10, 0, 0, 32, 10);
    for (CNMessageBase& medium : *msgbuild::List(list, 1, 1)) {
      std::vector<std::string>& keys = jobs[medium.getstring(3, 6)];
      CNMessageBase* info = medium.getObjectAccessor(true, false, 5, 11, 0, 0, 32, 5);
      for (CNMessageBase& item : *msgbuild::List(info, 1, 1))
        if (item.getint64(1) == 203) keys.push_back(item.getstring(2, 2));
    }
    return jobs;
  }
  static std::vector<std::string> MappedJobs(const std::string& file) {
    std::vector<std::string> keys;
    hx::SplitLine(testutil::ReadFile(file), keys, '\x12');
    if (!keys.empty()) keys.pop_back();  // every key ends with the mark
    return keys;
  }
  testutil::ScopedTempDir dir_;
  std::string output_;
};

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

TEST_F(MediaDiscovery, MediaCarryTheirVolumesJobsOnlyAfterJobDiscovery) {
  std::string out = dir_ / "after-jobs";
  ASSERT_EQ(Discover(out, {"config", "clients", "jobs", "media"}), 0) << output_;
  auto jobs = JobsOfMedia(out + "/xml/00012_FDC_ForeignMedias.xml");
  ASSERT_EQ(jobs.size(), 22u);
  EXPECT_EQ(jobs["A00003L5"], MappedJobs(out + "/A00003L5.txt"));
  EXPECT_EQ(jobs["A00003L5"].size(), 10u);
  EXPECT_EQ(jobs["E:\\nsr_disk\\aftd01_nwsrv01"], MappedJobs(out + "/nwsrv01.AFTD.001.txt"));
  EXPECT_EQ(jobs["E:\\nsr_disk\\aftd01_nwsrv01"].size(), 162u);  // of 166 save sets, 4 match no resource
  EXPECT_TRUE(jobs["A00012L5"].empty());                         // in the jukebox, never written

  std::string alone = dir_ / "alone";
  ASSERT_EQ(Discover(alone, {"config", "media"}), 0) << output_;
  for (const auto& [medium, keys] : JobsOfMedia(alone + "/xml/00003_FDC_ForeignMedias.xml"))
    EXPECT_TRUE(keys.empty()) << medium;
  EXPECT_NE(testutil::ReadFile(alone + "/xml/00003_FDC_ForeignMedias.xml").find("<int64 i=\"1\" t=\"1\">218</int64>"),
            std::string::npos);
}

// The emulator has no registry to ask for the date format: the setting gives
// the sample's, as it would for a server whose format cannot be read.
TEST_F(MediaDiscovery, EmulatedServerGivesTheSameMessages) {
  ASSERT_EQ(Discover(dir_ / "replay", {"config", "clients", "jobs", "media"}), 0) << output_;
  std::vector<std::string> env = {std::string("PATH=") + NWK_EMULATOR_DIR + ":/usr/bin:/bin",
                                  "NWK_EMULATOR_DATA=" + kSample};
  testutil::WriteFile(dir_ / "settings.ini", "[Pluvex]\nsNWKLOCALEFORMAT=dd/MM/yyyy\n");
  ASSERT_EQ(Discover(dir_ / "live",
                     {"--live", "--settings", dir_ / "settings.ini", "config", "clients", "jobs", "media"}, env),
            0)
      << output_;
  for (const char* name : kMessages)
    EXPECT_EQ(testutil::ReadFile(dir_ / "live/xml/" + name), testutil::ReadFile(dir_ / "replay/xml/" + name)) << name;
}

}  // namespace
