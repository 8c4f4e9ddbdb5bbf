// Job discovery through nwk-discover: the sample against reviewed job lists,
// and save sets matched to the right subclient.
#include <gtest/gtest.h>


#include <algorithm>
#include <regex>

#include "DiscoverRun.h"
#include "TestUtil.h"
#include "hx/Files.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/jobs";

class JobDiscovery : public DiscoverRun {};

TEST_F(JobDiscovery, SampleGivesTheReviewedJobListsAndMappings) {
  std::string out = dir_ / "out";
  ASSERT_EQ(Discover(out, {"clients", "jobs"}), 0) << output_;
  testutil::ExpectGoldenFiles(out + "/xml", kGolden, "_FDC_JobList.xml");
  EXPECT_EQ(testutil::ReadFile(out + "/A00003L5.txt"), testutil::ReadFile(kGolden + "/A00003L5.txt"));
  EXPECT_NE(output_.find("group [UNIX_Daily]: 234 save sets read, 96 jobs built"), std::string::npos) << output_;
}

// Each group is read while the list before it is written on another thread;
// the log still reads group by group, each list written before the next group.
TEST_F(JobDiscovery, LogReadsAsIfGroupsRanOneAfterAnother) {
  std::string out = dir_ / "out";
  ASSERT_EQ(Discover(out, {"clients", "jobs"}), 0) << output_;
  std::string log = testutil::ReadFile(out + "/nwk-discover.log"), steps;
  std::regex step(R"(collected jobs for group(\[[^\]]*\])|xml/(\d+)_FDC_JobList)");
  for (std::sregex_iterator it(log.begin(), log.end(), step), end; it != end; ++it)
    steps += (steps.empty() ? "" : " ") + ((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
  EXPECT_EQ(steps,
            "[Manual] 00002 [Archive_Monthly] 00003 [Default] 00004 [NDMP_Filer] [ORA_Prod] 00005 [SQL_Full] 00006 "
            "[SQL_Logs] 00007 [UNIX_Daily] 00008 [WIN_Daily] 00009");
}

// A client whose file system resource ("All") comes before its SQL Server
// resource in the same group: application save sets go to the SQL subclient,
// every other save set to the file system one.
TEST_F(JobDiscovery, SaveSetsFindTheirOwnSubclient) {
  std::string data = dir_ / "data";
  hx::MakeDirectories(data, nullptr);
  testutil::WriteFile(data + "/tarn_server.txt", "name: srv;\n");
  testutil::WriteFile(data + "/tarn_storagenode.txt", "");
  testutil::WriteFile(data + "/tarn_directive.txt", "");
  testutil::WriteFile(data + "/tarn_group.txt", "name: G;\nstart time: \"21:00\";\n");
  testutil::WriteFile(data + "/tarn_client.txt",
                      "name: sql1;\nclient OS type: Linux;\ngroup: G;\nsave set: All;\nbackup type: Filesystem;\n"
                      "licensed PSPs: ;\n"
                      "name: sql1;\ngroup: G;\nsave set: MSSQL$I:;\nbackup type: SQL Server;\nlicensed PSPs: ;\n");
  testutil::WriteFile(data + "/tarn_jobs.txt", "");
  testutil::WriteFile(data + "/tarn_jobs_g.txt",
                      "G,sql1,/var,full,1000,1,x,1,V1,l,1,B\n"
                      "G,sql1,MSSQL$I:,full,1000,1,x,1,V1,l,1,B\n"
                      "G,sql1,/home,full,1100,1,x,1,V2,l,1,B\n");
  std::string out = dir_ / "out";
  ASSERT_EQ(Discover(out, {"--replay", data, "clients", "jobs"}), 0) << output_;
  std::string xml = testutil::ReadFile(out + "/xml/00002_FDC_JobList.xml");
  EXPECT_NE(xml.find("<string i=\"4\" t=\"4\">/var,/home</string>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<string i=\"4\" t=\"4\">MSSQL$I:</string>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<string i=\"1\" t=\"1\">subclient1</string>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<string i=\"1\" t=\"1\">subclient2</string>"), std::string::npos) << xml;
  EXPECT_EQ(testutil::ReadFile(out + "/V1.txt"), "sql1_G_1000\x12sql1_G_1000\x12");
  EXPECT_EQ(testutil::ReadFile(out + "/V2.txt"), "sql1_G_1000\x12");
}

}  // namespace
