// Matching save sets to resources, building and merging job records, and the
// per-volume job key files.
#include <gtest/gtest.h>

#include <limits>

#include "JobFixture.h"
#include "fields/JobFields.h"
#include "model/MessageBuild.h"
#include "hx/Files.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace {

class Handler : public CForeignHandlerNWK {
 public:
  NWKClientMap& Clients() { return m_clients; }
};

NWKPolicyInfo Resource(const std::string& name, const std::string& group, const std::string& app,
                       std::vector<std::string> saveSets) {
  NWKPolicyInfo p;
  p.set_policyName(name);
  p.set_groupName(group);
  p.set_appName(app);
  p.get_backuplist() = std::move(saveSets);
  return p;
}

NWKJobInfo SaveSet(const std::string& client, const std::string& group, const std::string& content,
                   long long time = 1700000000, long long size = 100, long long files = 2) {
  NWKJobInfo j;
  j.set_clientName(client);
  j.set_groupName(group);
  j.set_contentFolder(content);
  j.set_backupLevel("full");
  j.set_backupTime(time);
  j.set_backupSize(size);
  j.set_numberOfFiles(files);
  return j;
}

class JobMatching : public JobFixture {
 protected:
  void SetUp() override {
    JobFixture::SetUp();
    NWKClientInfo c;
    c.set_clientName("winsql01");
    c.set_osName("Windows NT Server on Intel");
    c.get_policyList() = {Resource("Manual", "", "UNKNOWN", {"All"}),
                          Resource("subclient1", "WIN_Daily", "Filesystem", {"All"}),
                          Resource("subclient2", "WIN_Daily", "SQL Server", {"MSSQL$P:", "MSSQL$P:db"}),
                          Resource("subclient3", "Other", "Filesystem", {"D:\\x"})};
    handler_.Clients().emplace("winsql01", c);
  }
  std::string Match(const NWKJobInfo& job) {
    NWKPolicyInfo* policy = nullptr;
    NWKClientInfo* client = nullptr;
    handler_.FindSubclientContent(job, policy, client);
    EXPECT_EQ(policy == nullptr, client == nullptr);
    return policy ? policy->get_policyName() : "(none)";
  }
  Handler handler_;
};

TEST_F(JobMatching, ExactSaveSetBeforeAllThenTheGroupsOnlyResourceThenTheFirst) {
  EXPECT_EQ(Match(SaveSet("WINSQL01", "win_daily", "MSSQL$P:db")), "subclient2");  // not the "All" before it
  EXPECT_EQ(Match(SaveSet("winsql01", "WIN_Daily", "E:\\anything")), "subclient1");
  EXPECT_EQ(Match(SaveSet("winsql01", "", "C:\\")), "Manual");
  EXPECT_EQ(Match(SaveSet("winsql01", "Other", "D:\\X")), "subclient3");  // the group's only resource
  EXPECT_EQ(Match(SaveSet("winsql01", "Unknown", "C:\\")), "Manual");
  handler_.Clients().at("winsql01").get_policyList().push_back(Resource("subclient4", "Other", "Filesystem", {"/y"}));
  EXPECT_EQ(Match(SaveSet("winsql01", "Other", "D:\\X")), "Manual");  // two candidates: no guess
  EXPECT_EQ(Match(SaveSet("nobody", "WIN_Daily", "C:\\")), "(none)");
}

TEST_F(JobMatching, JobsAreBuiltAndMerged) {
  NWKClientInfo& client = handler_.Clients().at("winsql01");
  NWKPolicyInfo& manual = client.get_policyList()[0];
  std::vector<CNMessageBase> jobs;
  SaveSet("winsql01", "", "C:\\", 1700000000, 100, 2).BuildJob(&jobs, &client, &manual);
  SaveSet("winsql01", "", "D:\\", 1700000500, 50, 3).UpdateJob(jobs[0]);
  SaveSet("winsql01", "", "E:\\", 0, 1, 1).BuildJob(&jobs, &client, &manual);
  CNMessageBase& job = jobs[0];
  EXPECT_EQ(job.getstring(6, 6), "winsql01__1700000000");
  EXPECT_EQ(jobs[1].getstring(6, 6), "winsql01__0");
  EXPECT_EQ(msgbuild::Nested(&job, 8, 14, 32, 39)->getstring(4, 4), "C:\\,D:\\");
  CNMessageBase* summary = msgbuild::Nested(msgbuild::Nested(&job, 9, 15, 32, 2), 1, 1, 32, 27);
  std::string fields;  // start, size twice, files, level
  for (short f : {9, 35, 39, 37, 30}) fields += std::to_string(summary->getint64(f)) + " ";
  EXPECT_EQ(fields, "1700000000 150 150 5 1 ");
  EXPECT_EQ(msgbuild::List(msgbuild::Nested(&job, 10, 16, 32, 1), 1, 1)->back().getint64(3), 150);

  constexpr long long kMax = std::numeric_limits<long long>::max();
  SaveSet("winsql01", "", "F:\\", 1700000900, kMax, kMax).UpdateJob(job);  // sums saturate, never wrap
  for (short f : {35, 39, 37}) EXPECT_EQ(summary->getint64(f), kMax) << f;
}

// Manual save sets fold only into the newest job of their subclient, and the
// jobs of a resource named "Default" are found under its subclient "default".
TEST_F(JobMatching, ManualSaveSetsMergeIntoTheNewestJobOfTheirSubclientOnly) {
  handler_.Clients().at("winsql01").get_policyList().push_back(Resource("Default", "", "Filesystem", {"/d"}));
  const struct {
    const char* content;
    long long time;
  } saveSets[] = {
      {"/d", 1000},   // Default: a job
      {"/d", 1500},   // Default: folds into it
      {"/m", 5000},   // Manual: a job
      {"/m", 20000},  // Manual: the newest job is out of reach, a job
      {"/m", 5100},   // Manual: the newest job is out of reach, a job, though the first is within reach
  };
  std::string report;
  for (const auto& s : saveSets)
    report += ",winsql01," + std::string(s.content) + ",full," + std::to_string(s.time) + ",1,x,1,V,,1,\n";
  GivenReport("tarn_jobs.txt", report);
  CForeignCmdExecBase::set_UseExistingFiles(true);
  ASSERT_EQ(handler_.DiscoverJobs(nullptr), 1) << Log();
  CNMessageBase list(0, 0);
  std::string error;
  ASSERT_TRUE(hx::ReadMessageXmlFile(Results("xml/00001_FDC_JobList.xml"), &list, &error)) << error;
  std::vector<std::string> keys;
  for (CNMessageBase& job : *msgbuild::List(&list, jobfields::kListJobs))
    keys.push_back(msgbuild::GetString(job, jobfields::kKey));
  EXPECT_EQ(keys, (std::vector<std::string>{"winsql01__1000", "winsql01__5000", "winsql01__20000", "winsql01__5100"}));
}

TEST_F(JobMatching, MappingFilesKeepKeysInOrderPerVolume) {
  EXPECT_TRUE(handler_.DumpMediaJobMapping("VOL1", {"k1", "k2"}));
  EXPECT_TRUE(handler_.DumpMediaJobMapping("VOL1", {"k3"}));
  EXPECT_FALSE(handler_.DumpMediaJobMapping("", {"k4"}));
  std::vector<std::string> keys;
  EXPECT_TRUE(handler_.RetrieveMediaJobMapping("VOL1", keys));
  EXPECT_EQ(keys, (std::vector<std::string>{"k1", "k2", "k3"}));
  EXPECT_EQ(testutil::ReadFile(Results("VOL1.txt")), "k1\x12k2\x12k3\x12");

  EXPECT_TRUE(handler_.RetrieveMediaJobMapping("NEVER", keys));
  EXPECT_TRUE(keys.empty());
  EXPECT_FALSE(hx::FileExists(Results("NEVER.txt")));  // reading makes no file

  EXPECT_TRUE(handler_.DumpMediaJobMapping("../outside/v", {"k"}));
  EXPECT_TRUE(hx::FileExists(Results("%2E.%2Foutside%2Fv.txt")));
  EXPECT_TRUE(handler_.RetrieveMediaJobMapping("../outside/v", keys));
  EXPECT_EQ(keys, std::vector<std::string>{"k"});

  EXPECT_FALSE(handler_.RetrieveMediaJobMapping("", keys));  // a disk volume without a name has no file
  EXPECT_FALSE(hx::FileExists(Results("%.txt")));
}

TEST_F(JobMatching, MappingKeysComeBackAsWritten) {
  const std::vector<std::string> written = {"a\\bc__1700000000", std::string("x\x12y"), "tail\\", "plain"};
  EXPECT_TRUE(handler_.DumpMediaJobMapping("V", written));
  std::vector<std::string> keys;
  EXPECT_TRUE(handler_.RetrieveMediaJobMapping("V", keys));
  EXPECT_EQ(keys, written);
}

TEST_F(JobMatching, JobDiscoveryStartsTheMappingFilesAfresh) {
  testutil::WriteFile(Results("OLD.txt"), "stale\x12");
  testutil::WriteFile(Results("tarn_jobs.txt"), "");
  handler_.ClearMediaJobMappings();
  EXPECT_FALSE(hx::FileExists(Results("OLD.txt")));
  EXPECT_TRUE(hx::FileExists(Results("tarn_jobs.txt")));  // a report, not a mapping file
}

}  // namespace
