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

// Quoting and the input redirection are done by the runner; names from the server reach
// the tool verbatim and run nothing. The output is kept as the fetcher's report file.
TEST_F(CmdExec, RunsTheLineWithoutAShellAndKeepsTheOutput) {
  testutil::WriteFile(Results("in put.txt"), "print type:NSR client\n");
  const std::string marker = Results("pwned");
  const std::string hostile = "$(touch " + marker + ") `touch " + marker + "`; touch " + marker;
  const struct {
    std::string command, output;
  } cases[] = {
      {"/bin/cat < \"" + Results("in put.txt") + "\"", "print type:NSR client"},
      {"/usr/bin/printf '%s\\n' \"a\\\" -x \\\"b " + hostile + "\"", "a\" -x \"b " + hostile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    FakeFetcher f(c.command);
    ASSERT_TRUE(f.FetchData(nullptr)) << f.get_lastError();
    EXPECT_EQ(f.get_execResult(), 0);
    EXPECT_EQ(f.lines, std::vector<std::string>{c.output});
    EXPECT_EQ(testutil::ReadFile(Results("tarn_test.txt")), c.output + "\n");
  }
  EXPECT_FALSE(hx::FileExists(marker));
}

// 0 success, 1 the tool failed, 2 it could not run; a failure is named in the error and the log.
TEST_F(CmdExec, ExitStatusDecidesUnlessAMessageNumberWasAdded) {
  hx::JobContext::Current().commandTimeoutSeconds = 1;
  hx::JobContext::Current().maxCommandOutputBytes = 1 << 20;
  auto sh = [](const char* script) { return std::string("/bin/sh -c \"") + script + "\""; };
  const struct {
    std::string command;
    int extraCode, execResult;
    const char* error;
  } cases[] = {
      {sh("exit 0"), 0, 0, ""},
      {sh("exit 3"), 0, 1, "failed with exit status 3"},
      {sh("exit 3"), 3, 0, ""},  // added exit code
      {sh("echo '6095: mminfo: no matches found for the query'; exit 1"), 6095, 0, ""},
      {sh("echo 'mminfo: 6095: no matches'; exit 1"), 6095, 1, "exit status 1"},  // number not first
      {"nwk-no-such-program-anywhere --x", 0, 2, "nwk-no-such-program-anywhere"},
      {"/bin/sleep 30", 0, 2, "timed out"},
      {"/usr/bin/yes babble", 0, 1, "wrote more than the output cap of 1048576 bytes (setting nMaxCommandOutputMB)"},
      {"/bin/echo a | /bin/cat", 0, 2, "unquoted '|'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    FakeFetcher f(c.command);
    if (c.extraCode) f.AddSuccessRetCode(c.extraCode);
    EXPECT_EQ(f.FetchData(nullptr), c.execResult == 0);
    EXPECT_EQ(f.get_execResult(), c.execResult);
    EXPECT_EQ(f.parsed, c.execResult == 0);
    EXPECT_NE(f.get_lastError().find(c.error), std::string::npos) << f.get_lastError();
    EXPECT_EQ(f.get_lastError().empty(), c.execResult == 0);
    EXPECT_NE(Log().find(f.get_lastError()), std::string::npos) << Log();
  }
}

TEST_F(CmdExec, ReplayAndSkipTokenParseTheFilePresentWithoutRunning) {
  FakeFetcher skipped(CForeignCmdExecBase::kSkipToken);
  EXPECT_TRUE(skipped.FetchData(nullptr));  // the parser decides about a missing file
  EXPECT_TRUE(skipped.parsed);
  EXPECT_TRUE(skipped.lines.empty());

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

}  // namespace
