// The command runner as fetchers use it: real child processes, exit codes,
// NetWorker message numbers, replay and the skip token.
#include "hx/CmdExecBase.h"

#include <gtest/gtest.h>

#include "JobFixture.h"
#include "hx/Files.h"

namespace {

class FakeFetcher : public CForeignCmdExecBase {
 public:
  explicit FakeFetcher(std::string command) : CForeignCmdExecBase(1), command_(std::move(command)) {}
  std::vector<std::string> lines;
  bool parsed = false;

 protected:
  std::string _GetCommandLine() override { return command_; }
  bool _ParseData(void*, const std::vector<std::string>& got) override {
    parsed = true;
    lines = got;
    return true;
  }
  const char* _GetFileNameForData() const override { return "tarn_test.txt"; }

 private:
  std::string command_;
};

class CmdExec : public JobFixture {};

TEST_F(CmdExec, OutputIsKeptAndParsed) {
  FakeFetcher f("/bin/echo hello \"big world\"");
  ASSERT_TRUE(f.FetchData(nullptr)) << f.get_lastError();
  EXPECT_EQ(f.get_execResult(), 0);
  EXPECT_EQ(f.lines, std::vector<std::string>{"hello big world"});
  EXPECT_EQ(testutil::ReadFile(Results("tarn_test.txt")), "hello big world\n");
}

TEST_F(CmdExec, StdinRedirectionIsDoneByTheRunner) {
  testutil::WriteFile(Results("in put.txt"), "print type:NSR client\n");
  FakeFetcher f("/bin/cat < \"" + Results("in put.txt") + "\"");
  ASSERT_TRUE(f.FetchData(nullptr)) << f.get_lastError();
  EXPECT_EQ(f.lines, std::vector<std::string>{"print type:NSR client"});
}

TEST_F(CmdExec, ExitStatusDecidesUnlessAMessageNumberWasAdded) {
  struct Case { const char* script; int extraCode; bool ok; int execResult; } cases[] = {
      {"exit 0", 0, true, 0},
      {"exit 3", 0, false, 1},
      {"exit 3", 3, true, 0},                                              // added exit code
      {"echo '6095: mminfo: no matches found for the query'; exit 1", 6095, true, 0},
      {"echo 'mminfo: 6095: no matches'; exit 1", 6095, false, 1},        // number not first
      {"echo '6095: no matches'; exit 1", 0, false, 1},                   // number not added
      {"echo '60950: other'; exit 1", 6095, false, 1},
  };
  for (const Case& c : cases) {
    FakeFetcher f(std::string("/bin/sh -c \"") + c.script + "\"");
    if (c.extraCode) f.AddSuccessRetCode(c.extraCode);
    EXPECT_EQ(f.FetchData(nullptr), c.ok) << c.script;
    EXPECT_EQ(f.get_execResult(), c.execResult) << c.script;
    EXPECT_EQ(f.parsed, c.ok) << c.script;
  }
}

TEST_F(CmdExec, UnstartableOrTimedOutCommandsAreResultTwoAndNamedInTheLog) {
  FakeFetcher missing("nwk-no-such-program-anywhere --x");
  EXPECT_FALSE(missing.FetchData(nullptr));
  EXPECT_EQ(missing.get_execResult(), 2);
  EXPECT_NE(Log().find("nwk-no-such-program-anywhere"), std::string::npos);

  hx::JobContext::Current().commandTimeoutSeconds = 1;
  FakeFetcher slow("/bin/sleep 30");
  EXPECT_FALSE(slow.FetchData(nullptr));
  EXPECT_EQ(slow.get_execResult(), 2);
  EXPECT_NE(slow.get_lastError().find("timed out"), std::string::npos);

  FakeFetcher shellSyntax("/bin/echo a | /bin/cat");
  EXPECT_FALSE(shellSyntax.FetchData(nullptr));
  EXPECT_EQ(shellSyntax.get_execResult(), 2);
}

TEST_F(CmdExec, NamesFromTheServerReachTheToolVerbatimAndRunNothing) {
  std::string marker = Results("pwned");
  std::string hostile = "a\\\" -x \\\"b $(touch " + marker + ") `touch " + marker + "`; touch " + marker;
  FakeFetcher f("/usr/bin/printf %s \"" + hostile + "\"");
  ASSERT_TRUE(f.FetchData(nullptr)) << f.get_lastError();
  ASSERT_EQ(f.lines.size(), 1u);
  EXPECT_EQ(f.lines[0], "a\" -x \"b $(touch " + marker + ") `touch " + marker + "`; touch " + marker);
  EXPECT_FALSE(hx::FileExists(marker));
}

TEST_F(CmdExec, ReplayParsesTheFilePresentAndFailsWhenMissing) {
  CForeignCmdExecBase::set_UseExistingFiles(true);
  FakeFetcher absent("/bin/false");
  EXPECT_FALSE(absent.FetchData(nullptr));
  EXPECT_FALSE(absent.parsed);
  EXPECT_NE(absent.get_lastError().find("tarn_test.txt"), std::string::npos);

  GivenReport("tarn_test.txt", "kept\r\n");
  FakeFetcher present("/bin/false");
  EXPECT_TRUE(present.FetchData(nullptr));
  EXPECT_EQ(present.lines, std::vector<std::string>{"kept"});
}

TEST_F(CmdExec, SkipTokenParsesWhateverIsThereWithoutRunning) {
  FakeFetcher f(CForeignCmdExecBase::kSkipToken);
  EXPECT_TRUE(f.FetchData(nullptr));  // the parser decides about a missing file
  EXPECT_TRUE(f.lines.empty());
}

TEST_F(CmdExec, InputFilePathsAreFresh) {
  FakeFetcher f("x");
  std::string a = f.GetFileNameForOutput(0), b = f.GetFileNameForOutput(0);
  EXPECT_NE(a, b);
  EXPECT_TRUE(hx::FileExists(a));
  unlink(a.c_str());
  unlink(b.c_str());
}

}  // namespace
