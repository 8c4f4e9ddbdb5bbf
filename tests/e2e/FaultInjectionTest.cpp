// Faults from outside, end to end through nwk-discover: tools that hang, die
// or flood, a file size limit reached mid-write, a results folder that cannot
// be made. Each ends with the documented status and a log line naming the cause.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestUtil.h"
#include "hx/Files.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";

class FaultInjection : public ::testing::Test {
 protected:
  // An `nsradmin` on PATH that runs `body` (sh), beside the real mminfo emulator.
  void FakeNsradmin(const std::string& body) {
    std::string bin = dir_ / "bin";
    mkdir(bin.c_str(), 0755);
    testutil::WriteFile(bin + "/nsradmin", "#!/bin/sh\n" + body + "\n");
    chmod((bin + "/nsradmin").c_str(), 0755);
  }
  int Discover(std::vector<std::string> args, std::vector<std::string> prefix = {}) {
    args.insert(args.begin(), {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", Out()});
    args.insert(args.begin(), prefix.begin(), prefix.end());
    std::vector<std::string> env = {"PATH=" + (dir_ / "bin") + ":" + NWK_EMULATOR_DIR + ":/usr/bin:/bin",
                                    "NWK_EMULATOR_DATA=" + kSample};
    return testutil::RunProgram(args, env, &output_);
  }
  std::string Out() const { return dir_ / "out"; }
  std::string Log() const { return testutil::ReadFile(Out() + "/nwk-discover.log"); }
  testutil::ScopedTempDir dir_;
  std::string output_;
};

TEST_F(FaultInjection, HangingToolIsKilledAtTheTimeOut) {
  FakeNsradmin("exec sleep 30");
  EXPECT_EQ(Discover({"--live", "--timeout", "1", "clients"}), 1) << output_;
  EXPECT_NE(Log().find("timed out after 1"), std::string::npos) << Log();
}

TEST_F(FaultInjection, FloodOfOneGigabyteIsReadInPlaceAndPassedOver) {
  FakeNsradmin("head -c 1073741824 /dev/zero");
  EXPECT_EQ(Discover({"--live", "clients"}), 1) << output_;  // no directive, no server: nothing to build
  EXPECT_NE(Log().find("tarn_directive.txt:1: line of 1073741824 bytes passed over"), std::string::npos) << Log();
  unlink((Out() + "/tarn_directive.txt").c_str());
}

TEST_F(FaultInjection, FileSizeLimitLeavesNoHalfFile) {
  // The copied reports fit under the limit; the client list does not.
  EXPECT_EQ(Discover({"clients"}, {"prlimit", "--fsize=60000"}), 1) << output_;
  EXPECT_NE(Log().find("File too large"), std::string::npos) << Log();
  std::vector<std::string> left = testutil::ListDir(Out() + "/xml");
  EXPECT_TRUE(left.empty()) << left.front();
}

// The group after the one whose list cannot be written is read while that
// list is being written; it must leave no trace, as if never reached: no log
// line, no mapping file entry, no list, no record. The records of the group
// whose list was lost go with the list.
TEST_F(FaultInjection, FailedJobListWriteEndsJobDiscoveryBeforeTheNextGroup) {
  auto ghost = [](const std::string& group) { return group + ",ghost,/x,full,1795000000,1,x,1,v,l,1,B\n"; };
  std::string data = testutil::CopyDataset(kSample, dir_ / "data",
                                           {{"tarn_jobs_sql_full.txt", ghost("SQL_Full")},
                                            {"tarn_jobs_sql_logs.txt", ghost("SQL_Logs")},
                                            {"tarn_jobs_unix_daily.txt", ghost("UNIX_Daily")}});
  // The SQL_Logs list (189,050 bytes) is the first past the limit.
  EXPECT_EQ(Discover({"--replay", data, "clients", "jobs"}, {"prlimit", "--fsize=150000"}), 1) << output_;
  std::string log = Log();
  size_t failed = log.find("Unable to dump jobs xml");
  ASSERT_NE(failed, std::string::npos) << log;
  EXPECT_LT(log.find("jobs for group[SQL_Logs]"), failed);
  EXPECT_EQ(log.find("group[UNIX_Daily]"), std::string::npos) << log;
  EXPECT_EQ(testutil::ListDir(Out() + "/xml").back(), "00006_FDC_JobList.xml");
  for (const std::string& name : testutil::ListDir(Out(), ".txt"))
    EXPECT_EQ(testutil::ReadFile(Out() + "/" + name).find("_UNIX_Daily_"), std::string::npos) << name;
  std::string records = testutil::ReadFile(Out() + "/records.tsv");
  EXPECT_NE(records.find("ghost\tSQL_Full"), std::string::npos) << records;
  EXPECT_EQ(records.find("ghost\tSQL_Logs"), std::string::npos) << records;
  EXPECT_EQ(records.find("ghost\tUNIX_Daily"), std::string::npos) << records;
  // The run's report counts the lists written, as the rebuild from them does.
  std::string summary = testutil::ReadFile(Out() + "/summary.json");
  ASSERT_EQ(Discover({"report"}), 0) << output_;
  EXPECT_EQ(testutil::ReadFile(Out() + "/summary.json"), summary);
}

TEST_F(FaultInjection, FileSizeLimitWhileCopyingReportsNamesTheCauseAndLeavesNoPart) {
  // tarn_client.txt (38 kB) does not fit under the limit; a full disk takes the same road.
  EXPECT_EQ(Discover({"--replay", kSample, "clients"}, {"prlimit", "--fsize=20000"}), 2) << output_;
  EXPECT_NE(output_.find("tarn_client.txt': File too large"), std::string::npos) << output_;
  EXPECT_FALSE(hx::FileExists(Out() + "/tarn_client.txt"));
  for (const std::string& name : testutil::ListDir(Out())) EXPECT_NE(name.rfind(".hxtmp.", 0), 0u) << name;
}

TEST_F(FaultInjection, ResultsFolderThatCannotBeMadeStopsAtOnce) {
  testutil::WriteFile(dir_ / "file", "in the way");
  std::vector<std::string> args = {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", dir_ / "file/out"};
  EXPECT_EQ(testutil::RunProgram(args, {}, &output_), 2);
  EXPECT_NE(output_.find(dir_ / "file/out"), std::string::npos) << output_;
}

}  // namespace
