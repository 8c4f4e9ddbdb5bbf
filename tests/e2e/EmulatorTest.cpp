// End-to-end tests of the nsradmin and mminfo stand-ins: each case runs the built tool as
// a child process on the bundled sample and checks its output bytes and exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "hx/Process.h"

namespace {

const std::string kSampleDir = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kSaveSetSpec =
    "group,client,name,level,nsavetime,totalsize,sscomp(25),nfiles,volume,location,volid,barcode";
const std::string kSaveSetHeader =
    "group,client,name,level,save-time,total,ss-completed,files,volume,location,volid,barcode\n";
const std::string kNoMatches = "6095: mminfo: no matches found for the query\n";

struct Invocation {
  std::string tool;
  std::vector<std::string> args;
  std::string input;
  bool serverDown = false;  // sets NWK_EMULATOR_FAIL
};

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

std::string Sample(const std::string& name) {
  EXPECT_TRUE(std::filesystem::is_regular_file(kSampleDir + "/" + name)) << "sample file " << name;
  return testutil::ReadFile(kSampleDir + "/" + name);
}

// Both emulator settings are always given, so the test's own environment cannot change the
// answers. The shell is only the child: it sends the tool's standard error to its own file.
Outcome RunTool(const Invocation& inv) {
  testutil::ScopedTempDir dir;
  testutil::WriteFile(dir / "in", inv.input);
  hx::ProcessOptions options;
  options.stdinPath = dir / "in";
  options.outputPath = dir / "out";
  options.timeoutSeconds = 30;
  options.extraEnv = {"NWK_EMULATOR_DATA=" + kSampleDir, inv.serverDown ? "NWK_EMULATOR_FAIL=1" : "NWK_EMULATOR_FAIL="};
  std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>'" + dir / "err" + "'",
                                   std::string(NWK_EMULATOR_DIR) + "/" + inv.tool};
  argv.insert(argv.end(), inv.args.begin(), inv.args.end());
  const hx::ProcessResult result = hx::RunProcess(argv, options);
  EXPECT_TRUE(result.started) << result.error;
  return {result.exitCode, testutil::ReadFile(dir / "out"), testutil::ReadFile(dir / "err")};
}

Invocation Nsradmin(const std::string& script) { return {"nsradmin", {}, script}; }
Invocation SaveSets(const std::string& query) {
  return {"mminfo", {"-xc,", "-aocnt", "-r", kSaveSetSpec, "-q", query}, ""};
}
Invocation Media(bool serverDown = false) { return {"mminfo", {"-xc,", "-m", "-av"}, "", serverDown}; }

TEST(EmulatorTest, AnswersEachFormWithItsExactOutput) {
  const std::string usage = "usage: ";
  const struct {
    Invocation inv;
    int exitCode;
    std::string out;
    std::string errStart;  // standard error starts with this; empty: standard error is empty
  } cases[] = {
      {Nsradmin("print type:NSR\n"), 0, Sample("tarn_server.txt"), ""},
      {Nsradmin("PRINT TYPE:nsr group\r\n"), 0, Sample("tarn_group.txt"), ""},
      {Nsradmin("print type:NSR jukebox\nquit\n"), 0, Sample("tarn_libraries.txt"), ""},
      {Nsradmin("print type:NSR bogus\n"), 1,
       "NetWorker administration program.\nUse the \"help\" command for help, \"visual\" for full-screen mode.\n"
       "nsradmin> No resources found for query:\n                        type: NSR bogus;\nnsradmin> \n",
       ""},
      {SaveSets("level=manual"), 0, kSaveSetHeader + Sample("tarn_jobs.txt"), ""},
      // A group without save sets; names that would leave the dataset directory find nothing.
      {SaveSets("group=NDMP_Filer"), 1, kNoMatches, ""},
      {SaveSets("group=../tarn_server"), 1, kNoMatches, ""},
      {SaveSets("group=../../etc/passwd"), 1, kNoMatches, ""},
      // The failure switch answers like a stopped server.
      {{"nsradmin", {}, "print type:NSR client\n", true}, 1, "", "nsradmin: RPC error: "},
      {Media(true), 1, "", "mminfo: RPC error: "},
      // -s answers for the dataset's server only (its name in tarn_server.txt, any case);
      // another name fails as an unreachable server does.
      {{"nsradmin", {"-s", "nwsrv01"}, "print type:NSR\n"}, 0, Sample("tarn_server.txt"), ""},
      {{"nsradmin", {"-s", "NWSRV01"}, "print type:NSR group\n"}, 0, Sample("tarn_group.txt"), ""},
      {{"nsradmin", {"-s", "nwsrv02"}, "print type:NSR\n"}, 1, "", "nsradmin: RPC error: "},
      {{"mminfo", {"-s", "nwsrv01", "-xc,", "-m", "-av"}, ""}, 0, Sample("tarn_mediainfo.txt"), ""},
      {{"mminfo", {"-s", "elsewhere", "-xc,", "-m", "-av"}, ""}, 1, "", "mminfo: RPC error: "},
      // Arguments other than the fetchers' forms are refused.
      {{"nsradmin", {"-s"}, "print type:NSR\n"}, 1, "", usage},
      {{"nsradmin", {"-i", "-"}, ""}, 1, "", usage},
      {{"mminfo", {}, ""}, 1, "", usage},
      {{"mminfo", {"-xc", "-m", "-av"}, ""}, 1, "", usage},
      {{"mminfo", {"-xc,", "-aocnt", "-r", "client,name", "-q", "group=Default"}, ""}, 1, "", usage},
      {SaveSets("client=winfs01"), 1, "", usage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.inv.tool + " " + (c.inv.args.empty() ? c.inv.input : c.inv.args.back()) + " (" +
                 std::to_string(c.inv.args.size()) + " arguments)");
    const Outcome outcome = RunTool(c.inv);
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    EXPECT_EQ(outcome.out, c.out);
    EXPECT_EQ(outcome.err.rfind(c.errStart, 0), 0u) << outcome.err;
    EXPECT_EQ(outcome.err.empty(), c.errStart.empty()) << outcome.err;
  }
}

}  // namespace
