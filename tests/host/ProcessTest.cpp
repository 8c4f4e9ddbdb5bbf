// Runs real child processes through RunProcess: how they end, where their input and output
// go, why they fail to start, time-outs and verbatim arguments. After every test no descriptor
// or zombie may be left behind. /bin/sh appears only as the child.
#include "hx/Process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "TestUtil.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Clock = std::chrono::steady_clock;
using testutil::ReadFile;
using testutil::WriteFile;

size_t CountOpenDescriptors() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Alive and not a zombie waiting for its parent (the container's init may never collect it).
bool IsRunning(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = stat.rfind(')');
  return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

// For its lifetime the test is a host that ignores SIGPIPE and blocks SIGTERM, as hosts may;
// children must inherit neither.
class HostSignalState {
 public:
  HostSignalState() : pipe_(signal(SIGPIPE, SIG_IGN)) {
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &term, &mask_);
  }
  ~HostSignalState() {
    signal(SIGPIPE, pipe_);
    pthread_sigmask(SIG_SETMASK, &mask_, nullptr);
  }

 private:
  void (*pipe_)(int);
  sigset_t mask_{};
};

class ProcessTest : public ::testing::Test {
 protected:
  ProcessTest() {
    options_.outputPath = Path("out.txt");
    options_.timeoutSeconds = 20;
  }
  void TearDown() override {
    EXPECT_EQ(CountOpenDescriptors(), openBefore_);
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }
  std::string Path(const std::string& name) const { return dir_ / name; }
  std::string Output() const { return ReadFile(options_.outputPath); }
  hx::ProcessResult Run(const Args& argv) { return hx::RunProcess(argv, options_); }

  testutil::ScopedTempDir dir_;
  const size_t openBefore_ = CountOpenDescriptors();
  hx::ProcessOptions options_;
};

TEST_F(ProcessTest, ReportsHowTheChildEnded) {
  HostSignalState host;
  const struct {
    Args argv;
    int timeoutSeconds, exitCode, termSignal;
    std::string error;
  } cases[] = {
      {{"/bin/sh", "-c", "exit 42"}, 20, 42, 0, ""},
      {{"false"}, 20, 1, 0, ""},                   // found through PATH
      {{"/bin/sh", "-c", "exit 3"}, 0, 3, 0, ""},  // no time-out at all
      {{"/bin/sh", "-c", "kill -9 $$"}, 20, -1, SIGKILL, "'/bin/sh' was killed by signal 9 (Killed)"},
      {{"/bin/sh", "-c", "kill -TERM $$"}, 20, -1, SIGTERM, "'/bin/sh' was killed by signal 15 (Terminated)"},
      {{"/bin/sh", "-c", "kill -PIPE $$"}, 20, -1, SIGPIPE, "'/bin/sh' was killed by signal 13 (Broken pipe)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argv.back());
    options_.timeoutSeconds = c.timeoutSeconds;
    const hx::ProcessResult r = Run(c.argv);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.termSignal, c.termSignal);
    EXPECT_EQ(r.error, c.error);
  }
}

TEST_F(ProcessTest, ReplacesOutputWithWhatTheChildWrote) {
  const struct {
    Args argv;
    const char* input;  // nullptr: no input file
    std::string expected;
  } cases[] = {
      {{"/bin/cat"}, "line 1\nline 2 \"x y\"\n", "line 1\nline 2 \"x y\"\n"},
      {{"cat"}, nullptr, ""},  // reads /dev/null, not the test's own stdin
      {{"/bin/sh", "-c", "echo out; echo err >&2; echo out2"}, nullptr, "out\nerr\nout2\n"},
      {{"/bin/sh", "-c", "read a; echo \"got $a\" >&2; exit 1"}, "x\n", "got x\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argv.back());
    options_.stdinPath = c.input != nullptr ? Path("in.txt") : "";
    if (c.input != nullptr) WriteFile(options_.stdinPath, c.input);
    WriteFile(options_.outputPath, std::string(1000, 'x'));
    EXPECT_TRUE(Run(c.argv).started);
    EXPECT_EQ(Output(), c.expected);
  }
}

// Output goes to a new file with mode 0644 whatever the umask; with no output path it is discarded.
TEST_F(ProcessTest, OutputFileIsNewWithMode0644OrNoneAtAll) {
  const mode_t saved = umask(0);
  const hx::ProcessResult r = Run({"head", "-c", "33554432", "/dev/zero"});
  umask(saved);
  EXPECT_EQ(r.exitCode, 0) << r.error;
  struct stat st {};
  ASSERT_EQ(stat(options_.outputPath.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  EXPECT_EQ(st.st_size, 33554432);
  fs::remove(options_.outputPath);
  options_.outputPath.clear();
  EXPECT_EQ(Run({"/bin/sh", "-c", "echo hi; echo err >&2"}).exitCode, 0);
  EXPECT_EQ(fs::directory_iterator(dir_.path()), fs::directory_iterator());
}

TEST_F(ProcessTest, ReportsWhyItCouldNotStart) {
  const std::string out = Path("out.txt"), dir = dir_.path();
  const struct {
    Args argv;
    std::string stdinPath, outputPath;
    std::vector<std::string> extraEnv;
    std::string error;
  } cases[] = {
      {{}, "", out, {}, "no program to run"},
      {{"hx-no-such-program-4711", "-x"}, "", out, {}, "cannot start 'hx-no-such-program-4711': not found in PATH"},
      {{dir}, "", out, {}, "cannot start '" + dir + "': Permission denied"},
      {{"cat"}, Path("missing.txt"), out, {},
       "cannot open input file '" + Path("missing.txt") + "' for 'cat': No such file or directory"},
      {{"cat"}, dir, out, {}, "cannot open input file '" + dir + "' for 'cat': Is a directory"},
      {{"cat"}, "", Path("no/out.txt"), {},
       "cannot create output file '" + Path("no/out.txt") + "' for 'cat': No such file or directory"},
      {{"cat", std::string("a\0b", 3)}, "", out, {}, "an argument of 'cat' holds a NUL byte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    options_ = {};
    options_.stdinPath = c.stdinPath;
    options_.outputPath = c.outputPath;
    options_.extraEnv = c.extraEnv;
    WriteFile(out, "previous run\n");
    const hx::ProcessResult r = Run(c.argv);
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.error, c.error);
    if (c.error.rfind("cannot open input", 0) == 0) {  // opened first: the old output stays
      EXPECT_EQ(ReadFile(out), "previous run\n");
    }
  }
}

// The time-out signals the whole group (helpers too), and SIGTERM reaches the child even
// though the host blocks it.
TEST_F(ProcessTest, TimeOutStopsTheWholeGroup) {
  HostSignalState host;
  options_.timeoutSeconds = 1;
  const std::string pidFile = Path("pid");
  const Clock::time_point start = Clock::now();
  const hx::ProcessResult r = Run({"/bin/sh", "-c", "sleep 30 & echo $! > " + pidFile + "; wait"});
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.termSignal, SIGTERM);
  EXPECT_EQ(r.error, "'/bin/sh' ran longer than 1 s and was stopped (killed by signal 15 (Terminated))");
  const std::string pidText = ReadFile(pidFile);
  pid_t helper = 0;
  ASSERT_EQ(std::from_chars(pidText.data(), pidText.data() + pidText.size(), helper).ec, std::errc()) << pidText;
  const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(2);
  while (IsRunning(helper) && Clock::now() < giveUp) usleep(10000);
  EXPECT_FALSE(IsRunning(helper));
}

TEST_F(ProcessTest, TimeOutKillsChildThatIgnoresTerm) {
  options_.timeoutSeconds = 1;
  const Clock::time_point start = Clock::now();
  const hx::ProcessResult r = Run({"/bin/sh", "-c", "trap '' TERM; sleep 30"});
  const auto elapsed = Clock::now() - start;
  EXPECT_GT(elapsed, std::chrono::milliseconds(2500));
  EXPECT_LT(elapsed, std::chrono::seconds(6));
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.termSignal, SIGKILL);
}

TEST_F(ProcessTest, ArgumentsReachTheChildVerbatim) {
  const Args tricky = {"a\" -x \"b",  "$(touch " + Path("p") + ")", "`touch " + Path("q") + "`",
                       "x; touch " + Path("r"), "x && touch " + Path("s") + " &", "> " + Path("t"),
                       "'quoted'",   "back\\slash", "*", "", "new\nline"};
  Args argv = {"/usr/bin/printf", "[%s]\\n"};
  argv.insert(argv.end(), tricky.begin(), tricky.end());
  ASSERT_EQ(Run(argv).exitCode, 0);
  std::string expected;
  for (const std::string& arg : tricky) expected += "[" + arg + "]\n";
  EXPECT_EQ(Output(), expected);
  for (const char* name : {"p", "q", "r", "s", "t"}) EXPECT_FALSE(fs::exists(Path(name))) << name;
}

TEST_F(ProcessTest, ChildInheritsNoOtherDescriptor) {
  const int plain = open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
  const int high = fcntl(plain, F_DUPFD, 50);
  close(plain);
  ASSERT_GE(high, 50);
  const hx::ProcessResult r = Run({"/bin/sh", "-c", "test -e /proc/$$/fd/" + std::to_string(high)});
  close(high);
  EXPECT_EQ(r.exitCode, 1) << "descriptor " << high << " reached the child";
}

}  // namespace
