// Runs real child processes through RunProcess: how they end, where their input
// and output go, why they fail to start, time-outs, verbatim arguments, and that
// no descriptor or zombie is left behind. /bin/sh appears only as the child.
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
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

size_t CountOpenDescriptors() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Alive and not a zombie waiting for its parent (the container's init may never collect it).
bool IsRunning(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = stat.rfind(')');
  return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

class ProcessTest : public ::testing::Test {
 protected:
  ProcessTest() {
    char tmpl[] = "/tmp/hx-process-XXXXXX";
    dir_ = mkdtemp(tmpl) != nullptr ? tmpl : "";
    options_.outputPath = Path("out.txt");
    options_.timeoutSeconds = 20;
  }
  ~ProcessTest() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Output() const { return ReadFile(options_.outputPath); }
  hx::ProcessResult Run(const Args& argv) { return hx::RunProcess(argv, options_); }

  std::string dir_;
  hx::ProcessOptions options_;
};

struct EndCase {
  Args argv;
  int exitCode;
  int termSignal;
  int timeoutSeconds;
};

TEST_F(ProcessTest, ReportsHowTheChildEnded) {
  const EndCase cases[] = {
      {{"/bin/sh", "-c", "exit 0"}, 0, 0, 20},
      {{"/bin/sh", "-c", "exit 1"}, 1, 0, 20},
      {{"/bin/sh", "-c", "exit 42"}, 42, 0, 20},
      {{"false"}, 1, 0, 20},                      // found through PATH
      {{"/bin/sh", "-c", "exit 3"}, 3, 0, 0},     // no time-out at all
      {{"/bin/sh", "-c", "kill -9 $$"}, -1, SIGKILL, 20},
      {{"/bin/sh", "-c", "kill -TERM $$"}, -1, SIGTERM, 20},
  };
  for (const EndCase& c : cases) {
    options_.timeoutSeconds = c.timeoutSeconds;
    const hx::ProcessResult r = Run(c.argv);
    EXPECT_TRUE(r.started) << c.argv.back();
    EXPECT_FALSE(r.timedOut) << c.argv.back();
    EXPECT_EQ(r.exitCode, c.exitCode) << c.argv.back();
    EXPECT_EQ(r.termSignal, c.termSignal) << c.argv.back();
    if (c.termSignal == 0) {
      EXPECT_EQ(r.error, "") << c.argv.back();
    }
  }
  EXPECT_EQ(Run({"/bin/sh", "-c", "kill -9 $$"}).error, "'/bin/sh' was killed by signal 9 (Killed)");
}

struct OutputCase {
  Args argv;
  const char* input;  // nullptr: no input file
  std::string expected;
};

TEST_F(ProcessTest, CapturesOutputFromInput) {
  const OutputCase cases[] = {
      {{"/bin/cat"}, "line 1\nline 2 \"x y\"\n", "line 1\nline 2 \"x y\"\n"},
      {{"cat"}, nullptr, ""},  // reads /dev/null, not the test's own stdin
      {{"/bin/sh", "-c", "echo out; echo err >&2; echo out2"}, nullptr, "out\nerr\nout2\n"},
      {{"/bin/sh", "-c", "read a; echo \"got $a\" >&2; exit 1"}, "x\n", "got x\n"},
  };
  for (const OutputCase& c : cases) {
    options_.stdinPath = c.input != nullptr ? Path("in.txt") : "";
    if (c.input != nullptr) WriteFile(options_.stdinPath, c.input);
    const hx::ProcessResult r = Run(c.argv);
    EXPECT_TRUE(r.started) << r.error;
    EXPECT_EQ(Output(), c.expected) << c.argv.back();
  }
}

TEST_F(ProcessTest, ReplacesOutputFileWithMode0644) {
  WriteFile(options_.outputPath, std::string(1000, 'x'));
  ASSERT_TRUE(Run({"/bin/sh", "-c", "echo new"}).started);
  EXPECT_EQ(Output(), "new\n");

  fs::remove(options_.outputPath);
  const mode_t saved = umask(0);
  const hx::ProcessResult r = Run({"true"});
  umask(saved);
  struct stat st {};
  ASSERT_EQ(stat(options_.outputPath.c_str(), &st), 0) << r.error;
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(ProcessTest, WritesLargeOutputToTheFile) {
  const hx::ProcessResult r = Run({"head", "-c", "33554432", "/dev/zero"});
  EXPECT_EQ(r.exitCode, 0) << r.error;
  EXPECT_EQ(fs::file_size(options_.outputPath), 33554432u);
}

TEST_F(ProcessTest, EmptyOutputPathDiscardsOutput) {
  options_.outputPath.clear();
  EXPECT_EQ(Run({"/bin/sh", "-c", "echo hi; echo err >&2"}).exitCode, 0);
  EXPECT_EQ(fs::directory_iterator(dir_), fs::directory_iterator());
}

TEST_F(ProcessTest, ExtraEnvironmentAddsAndReplaces) {
  setenv("HX_TEST_KEEP", "kept", 1);
  setenv("HX_TEST_SWAP", "old", 1);
  options_.extraEnv = {"HX_TEST_SWAP=new", "HX_TEST_ADD=1", "HX_TEST_ADD=2"};
  ASSERT_TRUE(Run({"/usr/bin/env"}).started);
  unsetenv("HX_TEST_KEEP");
  unsetenv("HX_TEST_SWAP");
  std::istringstream lines(Output());
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("HX_TEST_", 0) == 0) kept += line + ";";
  }
  EXPECT_EQ(kept, "HX_TEST_KEEP=kept;HX_TEST_SWAP=new;HX_TEST_ADD=2;");
}

struct StartFailureCase {
  Args argv;
  std::string stdinPath;
  std::string outputPath;
  std::vector<std::string> extraEnv;
  std::string error;
};

TEST_F(ProcessTest, ReportsWhyItCouldNotStart) {
  const std::string out = Path("out.txt");
  const StartFailureCase cases[] = {
      {{}, "", out, {}, "no program to run"},
      {{"hx-no-such-program-4711", "-x"}, "", out, {}, "cannot start 'hx-no-such-program-4711': not found in PATH"},
      {{"/nonexistent/prog"}, "", out, {}, "cannot start '/nonexistent/prog': No such file or directory"},
      {{dir_}, "", out, {}, "cannot start '" + dir_ + "': Permission denied"},
      {{"cat"}, Path("missing.txt"), out, {},
       "cannot open input file '" + Path("missing.txt") + "' for 'cat': No such file or directory"},
      {{"cat"}, dir_, out, {}, "cannot open input file '" + dir_ + "' for 'cat': Is a directory"},
      {{"cat"}, "", Path("no/out.txt"), {},
       "cannot create output file '" + Path("no/out.txt") + "' for 'cat': No such file or directory"},
      {{"env"}, "", out, {"NOEQUALS"}, "environment entry 'NOEQUALS' is not KEY=VALUE"},
      {{"cat", std::string("a\0b", 3)}, "", out, {}, "an argument of 'cat' holds a NUL byte"},
  };
  for (const StartFailureCase& c : cases) {
    options_ = {};
    options_.stdinPath = c.stdinPath;
    options_.outputPath = c.outputPath;
    options_.extraEnv = c.extraEnv;
    const hx::ProcessResult r = Run(c.argv);
    EXPECT_FALSE(r.started) << c.error;
    EXPECT_EQ(r.error, c.error);
  }
}

TEST_F(ProcessTest, MissingInputLeavesOldOutputAlone) {
  WriteFile(options_.outputPath, "previous run\n");
  options_.stdinPath = Path("missing.txt");
  EXPECT_FALSE(Run({"cat"}).started);
  EXPECT_EQ(Output(), "previous run\n");
}

TEST_F(ProcessTest, TimeOutStopsTheChild) {
  options_.timeoutSeconds = 1;
  const Clock::time_point start = Clock::now();
  const hx::ProcessResult r = Run({"sleep", "30"});
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.termSignal, SIGTERM);
  EXPECT_EQ(r.error, "'sleep' ran longer than 1 s and was stopped (killed by signal 15 (Terminated))");
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

TEST_F(ProcessTest, TimeOutStopsTheWholeGroup) {
  options_.timeoutSeconds = 1;
  const std::string pidFile = Path("pid");
  EXPECT_TRUE(Run({"/bin/sh", "-c", "sleep 30 & echo $! > " + pidFile + "; wait"}).timedOut);
  const std::string pidText = ReadFile(pidFile);
  pid_t helper = 0;
  ASSERT_EQ(std::from_chars(pidText.data(), pidText.data() + pidText.size(), helper).ec, std::errc()) << pidText;
  const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(2);
  while (IsRunning(helper) && Clock::now() < giveUp) usleep(10000);
  EXPECT_FALSE(IsRunning(helper));
}

// Restores a signal's disposition and the thread's blocked mask.
class SignalStateGuard {
 public:
  SignalStateGuard() {
    sigaction(SIGPIPE, nullptr, &pipe_);
    pthread_sigmask(SIG_SETMASK, nullptr, &mask_);
  }
  ~SignalStateGuard() {
    sigaction(SIGPIPE, &pipe_, nullptr);
    pthread_sigmask(SIG_SETMASK, &mask_, nullptr);
  }

 private:
  struct sigaction pipe_ {};
  sigset_t mask_{};
};

TEST_F(ProcessTest, ChildGetsDefaultSignalHandling) {
  SignalStateGuard guard;
  signal(SIGPIPE, SIG_IGN);
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &term, nullptr);

  EXPECT_EQ(Run({"/bin/sh", "-c", "kill -PIPE $$"}).termSignal, SIGPIPE);
  options_.timeoutSeconds = 1;
  EXPECT_EQ(Run({"sleep", "30"}).termSignal, SIGTERM);  // SIGTERM not blocked in the child
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

TEST_F(ProcessTest, LeavesNoDescriptorOrZombie) {
  const size_t before = CountOpenDescriptors();
  WriteFile(Path("in.txt"), "x\n");
  const std::vector<std::pair<Args, std::string>> runs = {
      {{"cat"}, Path("in.txt")}, {{"/bin/sh", "-c", "exit 7"}, ""}, {{"hx-no-such-program-4711"}, ""},
      {{"cat"}, Path("missing.txt")}, {{"/bin/sh", "-c", "kill -9 $$"}, Path("in.txt")},
  };
  for (const auto& [argv, input] : runs) {
    options_.stdinPath = input;
    Run(argv);
  }
  EXPECT_EQ(CountOpenDescriptors(), before);
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
