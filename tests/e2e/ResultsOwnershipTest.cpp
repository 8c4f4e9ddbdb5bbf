// One run owns its results directory, end to end through nwk-discover: a
// second run is turned away, an interrupt stops the command and cleans up,
// nothing is written through a link, a directory others can write is refused,
// leftovers of an interrupted run go, the file system is synced once per step.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "TestUtil.h"
#include "hx/Files.h"

extern char** environ;

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Polls `done` for up to ten seconds.
template <typename Predicate>
bool Eventually(Predicate done) {
  for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
    if (done()) return true;
  return false;
}

// A process that has ended (a zombie waiting for a parent counts as ended).
bool HasEnded(pid_t pid) {
  std::string stat = testutil::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  size_t paren = stat.rfind(')');
  return stat.empty() || (paren != std::string::npos && stat.compare(paren, 3, ") Z") == 0);
}

class ResultsOwnership : public ::testing::Test {
 protected:
  void SetUp() override { mkdir((dir_ / "tmp").c_str(), 0700); }
  std::vector<std::string> Env() const {
    return {"PATH=" + (dir_ / "bin") + ":" + NWK_EMULATOR_DIR + ":/usr/bin:/bin", "NWK_EMULATOR_DATA=" + kSample,
            "TMPDIR=" + (dir_ / "tmp"), "TZ=UTC"};
  }
  static std::vector<std::string> Args(const std::string& out, std::vector<std::string> args) {
    args.insert(args.begin(), {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", out});
    return args;
  }
  int Discover(const std::string& out, std::vector<std::string> args) {
    return testutil::RunProgram(Args(out, std::move(args)), Env(), &output_);
  }
  // An `nsradmin` that writes its process id to `pidFile`, then hangs.
  void HangingNsradmin(const std::string& pidFile) {
    mkdir((dir_ / "bin").c_str(), 0755);
    testutil::WriteFile(dir_ / "bin/nsradmin", "#!/bin/sh\necho $$ > '" + pidFile + "'\nexec sleep 60\n");
    chmod((dir_ / "bin/nsradmin").c_str(), 0755);
  }
  // Starts nwk-discover without waiting for it.
  pid_t Start(const std::vector<std::string>& argv) {
    std::vector<std::string> env = Env();
    for (char** e = environ; *e; ++e) env.emplace_back(*e);  // the first of a key wins
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (dir_ / "started.txt").c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }
  static int ExitStatus(pid_t pid) {
    int status = 0;
    if (!Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  testutil::ScopedTempDir dir_;
  std::string output_;
};

TEST_F(ResultsOwnership, SecondRunIsTurnedAwayAndAnInterruptStopsTheCommandAndCleansUp) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    std::string out = dir_ / ("out" + std::to_string(sig));
    std::string toolPidFile = dir_ / ("tool" + std::to_string(sig));
    HangingNsradmin(toolPidFile);
    pid_t run = Start(Args(out, {"--live", "clients"}));
    ASSERT_TRUE(Eventually([&] { return !testutil::ReadFile(toolPidFile).empty(); }));

    EXPECT_EQ(Discover(out, {"--replay", kSample, "clients"}), 2);
    EXPECT_EQ(output_, "nwk-discover: results directory '" + out + "' is in use by process " + std::to_string(run) + "\n");
    EXPECT_EQ(Discover(out, {"report"}), 2) << output_;

    kill(run, sig);
    EXPECT_EQ(ExitStatus(run), 128 + sig);
    pid_t tool = static_cast<pid_t>(std::strtol(testutil::ReadFile(toolPidFile).c_str(), nullptr, 10));
    EXPECT_TRUE(Eventually([&] { return HasEnded(tool); })) << "the hanging command survived";
    EXPECT_EQ(testutil::ListDir(dir_ / "tmp"), std::vector<std::string>{});  // its input file is gone
    EXPECT_EQ(Count(testutil::ReadFile(out + "/nwk-discover.log"), "Interrupted by signal " + std::to_string(sig)), 1u);
    EXPECT_NE(Discover(out, {"report"}), 2) << output_;  // the lock went with the run
  }
}

TEST_F(ResultsOwnership, NothingIsWrittenThroughALinkInTheResultsDirectory) {
  struct Case {
    const char* entry;
    std::vector<std::string> args;
    int status;  // a copy or a replaced file takes the link's place; an opened file or folder is refused
  };
  const Case cases[] = {
      {"tarn_server.txt", {"--replay", kSample, "clients"}, 0},
      {"tarn_directive.txt", {"--live", "clients"}, 1},
      {"nwk-discover.log", {"config"}, 2},
      {"xml", {"config"}, 2},
      {"0", {"clients"}, 2},
      {"0/nwsrv01.txt", {"clients"}, 0},
      {"B00001L5.txt", {"clients", "jobs"}, 0},
      {"report.html", {"config"}, 0},
      {"summary.json", {"config"}, 0},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    std::string out = dir_ / ("out" + std::to_string(++n)), outside = dir_ / ("outside" + std::to_string(n));
    bool folder = std::string(c.entry) == "xml" || std::string(c.entry) == "0";
    mkdir(out.c_str(), 0700);
    mkdir((out + "/0").c_str(), 0700);
    rmdir((out + "/" + c.entry).c_str());
    if (folder) mkdir(outside.c_str(), 0700);
    else testutil::WriteFile(outside, "precious");
    ASSERT_EQ(symlink(outside.c_str(), (out + "/" + c.entry).c_str()), 0);
    EXPECT_EQ(Discover(out, c.args), c.status) << output_;
    if (folder) EXPECT_EQ(testutil::ListDir(outside), std::vector<std::string>{});
    else EXPECT_EQ(testutil::ReadFile(outside), "precious");
  }
}

TEST_F(ResultsOwnership, DirectoryOthersCanWriteOrOfAnotherUserIsRefused) {
  struct Case {
    mode_t mode;
    uid_t owner;
    const char* reason;
  };
  const uid_t me = geteuid(), other = 65534;
  const Case cases[] = {
      {0777, me, "can be written by group or others (mode 0777)"},
      {0720, me, "can be written by group or others (mode 0720)"},
      {0700, other, "belongs to user id 65534"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    std::string out = dir_ / ("out" + std::to_string(++n));
    mkdir(out.c_str(), 0700);
    chmod(out.c_str(), c.mode);
    if (c.owner != me && chown(out.c_str(), c.owner, static_cast<gid_t>(-1)) != 0) continue;  // not root: cannot give it away
    for (const char* op : {"clients", "report"}) {
      EXPECT_EQ(Discover(out, {op}), 2) << output_;
      EXPECT_TRUE(Contains(output_, "results directory '" + out + "' " + c.reason)) << output_;
    }
    EXPECT_EQ(testutil::ListDir(out), std::vector<std::string>{});  // nothing written
  }
  std::string fresh = dir_ / "new/results";
  ASSERT_EQ(Discover(fresh, {"config"}), 0) << output_;
  struct stat st {};
  stat(fresh.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST_F(ResultsOwnership, TemporariesOfAnInterruptedRunAreRemovedByTheNext) {
  std::string out = dir_ / "out";
  for (const char* folder : {"", "/0", "/xml"}) mkdir((out + folder).c_str(), 0700);
  const std::vector<std::string> leftovers = {"/xml/.hxmsg.tmpAb12Cd", "/0/client.txt.tmpAb12Cd",
                                              "/report.html.tmpXyZ123", "/.hxtmp.Qw12Er", "/0/.hxtmp.Zx98Cv"};
  for (const std::string& name : leftovers) testutil::WriteFile(out + name, "half a file");
  testutil::WriteFile(out + "/0/keep.txt", "1\n");
  ASSERT_EQ(Discover(out, {"config"}), 0) << output_;
  for (const std::string& name : leftovers) EXPECT_FALSE(hx::FileExists(out + name)) << name;
  EXPECT_TRUE(hx::FileExists(out + "/0/keep.txt"));
  EXPECT_TRUE(Contains(testutil::ReadFile(out + "/nwk-discover.log"), "Removed [5] temporary file(s)"));
}

TEST_F(ResultsOwnership, DatasetAndResultsDirectoryMustLieApart) {
  std::string dataset = dir_ / "ds", around = dir_ / "around";
  for (const std::string& folder : {dataset, around, around + "/ds"}) mkdir(folder.c_str(), 0700);
  for (const std::string& folder : {dataset, around + "/ds"}) testutil::WriteFile(folder + "/tarn_server.txt", "x");
  symlink(dataset.c_str(), (dir_ / "link").c_str());
  const std::pair<std::string, std::string> cases[] = {
      {dataset, dataset}, {dir_ / "link", dataset}, {dataset + "/results", dataset}, {around, around + "/ds"}};
  for (const auto& [out, replay] : cases) {
    SCOPED_TRACE(out);
    EXPECT_EQ(Discover(out, {"--replay", replay, "clients"}), 2);
    EXPECT_TRUE(Contains(output_, "itself") || Contains(output_, "lie one inside the other")) << output_;
  }
  EXPECT_EQ(testutil::ListDir(dataset), std::vector<std::string>{"tarn_server.txt"});
}

TEST_F(ResultsOwnership, MapFileThatCannotBeSavedFailsClientDiscovery) {
  std::string out = dir_ / "out";
  for (const char* folder : {"", "/0", "/0/nwsrv01.txt"}) mkdir((out + folder).c_str(), 0700);
  EXPECT_EQ(Discover(out, {"clients"}), 1) << output_;
  EXPECT_TRUE(Contains(output_, "cannot save the subclient names of client [nwsrv01]")) << output_;
}

TEST_F(ResultsOwnership, OneFileSystemSyncPerOperationAndReport) {
  std::string out = dir_ / "out", trace = dir_ / "trace.txt";
  std::vector<std::string> argv = Args(out, {"config", "clients"});
  argv.insert(argv.begin(), {"strace", "-f", "-qq", "-e", "trace=syncfs,fsync", "-o", trace});
  std::vector<std::string> env = Env();
  env.push_back("ASAN_OPTIONS=detect_leaks=0");  // the leak checker cannot run under ptrace
  int status = testutil::RunProgram(argv, env, &output_);
  std::string calls = testutil::ReadFile(trace);
  if (status < 0 || calls.empty()) GTEST_SKIP() << "strace cannot run here: " << output_;
  ASSERT_EQ(status, 0) << output_;
  EXPECT_EQ(Count(calls, " syncfs("), 3u) << calls;  // config, clients, the report
  // Neither the message files nor the many map files are synced one by one.
  EXPECT_EQ(Count(calls, " fsync("), 0u) << calls;
}

}  // namespace
