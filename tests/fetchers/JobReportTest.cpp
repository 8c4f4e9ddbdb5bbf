// The save set report: its file name and its rows.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "fetchers/CNWKJobInfoFetcher.h"

namespace {

class JobFetcher : public CNWKJobInfoFetcher {
 public:
  using CNWKJobInfoFetcher::_GetFileNameForData;
};

std::vector<NWKJobInfo> Parse(const std::string& text, const std::string& group, bool skipHeader = false) {
  std::vector<NWKJobInfo> jobs;
  CNWKJobInfoFetcher::ParseJobReport(text, group, skipHeader, &jobs);
  return jobs;
}

// The command itself is checked with every other fetcher's.
TEST(JobReport, FileNameForGroupsAndManualSaveSets) {
  JobFetcher fetcher;
  EXPECT_STREQ(fetcher._GetFileNameForData(), "tarn_jobs.txt");
  fetcher.set_groupName("Default");
  EXPECT_STREQ(fetcher._GetFileNameForData(), "tarn_jobs_default.txt");
  fetcher.set_groupName("../Ops/Nightly");
  EXPECT_STREQ(fetcher._GetFileNameForData(), "tarn_jobs_%2E.%2Fops%2Fnightly.txt");
}

TEST(JobReport, RowsBecomeRecords) {
  std::vector<NWKJobInfo> jobs = Parse(
      "G,c1,/data,incr,1700000000,4096,x,12,VOL1,loc,1,B1\n"
      "G,c1,/a,full,1700000100,junk,x,3\n"        // 8 columns: no media; a size that does not parse is 0
      "G,c1,/b,full,1700000200,1,x\n"             // 7 columns: dropped
      "G , c2 , C:\\a, b ,full, 17 ,2,x,1,V2,l,1,B\n",  // a save set name with a comma keeps it
      "G");
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0].get_groupName(), "G");
  EXPECT_EQ(jobs[0].get_clientName(), "c1");
  EXPECT_EQ(jobs[0].get_contentFolder(), "/data");
  EXPECT_EQ(jobs[0].get_backupLevel(), "incr");
  EXPECT_EQ(jobs[0].get_backupTime(), 1700000000);
  EXPECT_EQ(jobs[0].get_backupSize(), 4096);
  EXPECT_EQ(jobs[0].get_numberOfFiles(), 12);
  EXPECT_EQ(jobs[0].get_media(), "VOL1");
  EXPECT_EQ(jobs[1].get_media(), "");
  EXPECT_EQ(jobs[1].get_backupSize(), 0);
  EXPECT_EQ(jobs[2].get_clientName(), "c2");
  EXPECT_EQ(jobs[2].get_contentFolder(), "C:\\a, b");
  EXPECT_EQ(jobs[2].get_backupTime(), 17);
  EXPECT_EQ(jobs[2].get_media(), "V2");
}

TEST(JobReport, HeaderOnlyOnLiveRunsAndManualRunsKeepGrouplessRows) {
  const std::string report = "group,client,name,level,save time,size,completed,files,volume\n"
                             ",c1,/x,manual,5,1,x,1,V\n"
                             "UNIX_Daily,c1,/y,manual,6,1,x,1,V\n";
  EXPECT_EQ(Parse(report, "", true).size(), 1u);
  EXPECT_EQ(Parse(report, "", false).size(), 1u);  // the header has a group column: not manual
  EXPECT_EQ(Parse(report, "UNIX_Daily", true).size(), 2u);
  std::vector<NWKJobInfo> replayed = Parse(report, "UNIX_Daily", false);
  ASSERT_EQ(replayed.size(), 3u);  // a header met in a replayed file is a row like any other
  EXPECT_EQ(replayed[0].get_clientName(), "client");
  EXPECT_EQ(replayed[0].get_backupTime(), 0);
}

}  // namespace
