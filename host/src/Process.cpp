// Starts a program with posix_spawnp (never through a shell), sends its output
// to a file and waits for it under a time-out.
#include "hx/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>
#include <system_error>
#include <thread>

#include "hx/Interrupt.h"

extern char** environ;

namespace hx {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kKillGrace{2};  // between SIGTERM and SIGKILL
constexpr std::chrono::milliseconds kFirstPoll{10};
constexpr std::chrono::milliseconds kLongestPoll{100};

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }
std::string ErrnoText(int err) { return std::generic_category().message(err); }

// Owns one descriptor and closes it.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  ~FileDescriptor() { Reset(-1); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Opens a close-on-exec descriptor numbered 3 or more. Were the caller running
// with 0, 1 or 2 closed, the file could land on the very number the child needs,
// and a dup2 onto itself does not clear close-on-exec with every libc.
int OpenHigh(const char* path, int flags, mode_t mode) {
  int fd;
  do {
    fd = open(path, flags | O_CLOEXEC | O_NOCTTY, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int high = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int saved = errno;
  close(fd);
  errno = saved;
  return high;
}

bool CheckArguments(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || argv[0].empty()) {
    *error = "no program to run";
    return false;
  }
  for (const std::string& arg : argv) {
    if (arg.find('\0') != std::string::npos) {
      *error = "an argument of " + Quoted(argv[0]) + " holds a NUL byte";
      return false;
    }
  }
  return true;
}

bool OpenInput(const std::string& path, const std::string& program, FileDescriptor* fd, std::string* error) {
  const char* name = path.empty() ? "/dev/null" : path.c_str();
  const int opened = OpenHigh(name, O_RDONLY, 0);
  int err = errno;
  fd->Reset(opened);
  struct stat st;
  if (opened >= 0 && fstat(opened, &st) == 0 && S_ISDIR(st.st_mode)) err = EISDIR;
  else if (opened >= 0) return true;
  *error = "cannot open input file " + Quoted(name) + " for " + Quoted(program) + ": " + ErrnoText(err);
  return false;
}

bool OpenOutput(const std::string& path, const std::string& program, FileDescriptor* fd, std::string* error) {
  const int opened = path.empty() ? OpenHigh("/dev/null", O_WRONLY, 0)
                                  : OpenHigh(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644);
  const int err = errno;
  fd->Reset(opened);
  if (opened >= 0) return true;
  *error = "cannot create output file " + Quoted(path) + " for " + Quoted(program) + ": " + ErrnoText(err);
  return false;
}

// "KEY=" of an environment entry (the whole entry if it has no '=').
std::string_view EnvKey(std::string_view entry) {
  const size_t eq = entry.find('=');
  return eq == std::string_view::npos ? entry : entry.substr(0, eq + 1);
}

bool IsReplaced(std::string_view entry, std::vector<std::string>::const_iterator from,
                std::vector<std::string>::const_iterator to) {
  const std::string_view key = EnvKey(entry);
  return std::any_of(from, to, [key](const std::string& e) { return EnvKey(e) == key; });
}

// The inherited environment with the extra entries replacing or adding keys;
// of two extra entries with one key, the later wins.
bool BuildEnvironment(const std::vector<std::string>& extra, std::vector<std::string>* env, std::string* error) {
  for (const std::string& entry : extra) {
    if (entry.empty() || entry[0] == '=' || entry.find('=') == std::string::npos || entry.find('\0') != std::string::npos) {
      *error = "environment entry " + Quoted(entry) + " is not KEY=VALUE";
      return false;
    }
  }
  if (extra.empty()) return true;  // the child gets environ as it is
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    if (!IsReplaced(*e, extra.begin(), extra.end())) env->emplace_back(*e);
  }
  for (auto it = extra.begin(); it != extra.end(); ++it) {
    if (!IsReplaced(*it, it + 1, extra.end())) env->push_back(*it);
  }
  return true;
}

std::vector<char*> PointerArray(const std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (const std::string& s : strings) out.push_back(const_cast<char*>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

// Keeps descriptors the host opened without close-on-exec (log files, sockets,
// pipes) out of the child, so it cannot hold them open after the host is done.
int CloseOtherDescriptors(posix_spawn_file_actions_t* actions) {
#if defined(__GLIBC__)
#if __GLIBC_PREREQ(2, 34)
  return posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);
#endif
#endif
  (void)actions;
  return 0;
}

// File actions and attributes for one spawn, released on every path.
class SpawnSetup {
 public:
  SpawnSetup() {
    actionsReady_ = posix_spawn_file_actions_init(&actions_) == 0;
    attrReady_ = posix_spawnattr_init(&attr_) == 0;
  }
  ~SpawnSetup() {
    if (actionsReady_) posix_spawn_file_actions_destroy(&actions_);
    if (attrReady_) posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Returns 0 or an errno value, as posix_spawnp does.
  int Spawn(int inFd, int outFd, char* const argv[], char* const envp[], pid_t* pid) {
    if (!actionsReady_ || !attrReady_) return ENOMEM;
    int rc = SetFiles(inFd, outFd);
    if (rc == 0) rc = SetAttributes();
    if (rc == 0) rc = posix_spawnp(pid, argv[0], &actions_, &attr_, argv, envp);
    return rc;
  }

 private:
  int SetFiles(int inFd, int outFd) {
    int rc = posix_spawn_file_actions_adddup2(&actions_, inFd, STDIN_FILENO);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions_, outFd, STDOUT_FILENO);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions_, outFd, STDERR_FILENO);
    if (rc == 0) rc = CloseOtherDescriptors(&actions_);
    return rc;
  }

  // Own process group, so a time-out reaches everything the program started.
  // Ignored signals and the blocked mask survive exec: the host may ignore
  // SIGPIPE or block SIGTERM, and the child must not inherit either.
  int SetAttributes() {
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    int rc = posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (rc == 0) rc = posix_spawnattr_setpgroup(&attr_, 0);
    if (rc == 0) rc = posix_spawnattr_setsigmask(&attr_, &none);
    if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr_, &defaults);
    return rc;
  }

  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
  bool actionsReady_ = false;
  bool attrReady_ = false;
};

std::string SpawnError(const std::string& program, int err) {
  if (err == ENOENT && program.find('/') == std::string::npos) {
    return "cannot start " + Quoted(program) + ": not found in PATH";
  }
  return "cannot start " + Quoted(program) + ": " + ErrnoText(err);
}

// Whether the child has ended, without collecting it: until it is collected its
// id stays reserved, so its process group can still be signalled safely.
// Sets *lost when the child can no longer be waited for.
bool HasEnded(pid_t pid, bool* lost) {
  siginfo_t info;
  std::memset(&info, 0, sizeof info);
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    if (errno != EINTR) {
      *lost = true;
      return true;
    }
  }
  return info.si_pid == pid;
}

// Polls, at growing intervals, until the child ends (true) or `deadline` passes.
bool WaitUntil(pid_t pid, Clock::time_point deadline, bool* lost) {
  std::chrono::milliseconds pause = kFirstPoll;
  while (!HasEnded(pid, lost)) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, kLongestPoll);
  }
  return true;
}

// Asks the whole group to stop, then kills it; the child itself is not yet
// collected, so the group id cannot have been reused meanwhile.
void StopGroup(pid_t pid, bool* lost) {
  kill(-pid, SIGTERM);
  WaitUntil(pid, Clock::now() + kKillGrace, lost);
  if (!*lost) kill(-pid, SIGKILL);
}

struct ChildEnd {
  bool timedOut = false;
  bool lost = false;  // the status was collected elsewhere
  int status = 0;
};

// Waits for the child and collects it. Allocates nothing, so nothing can
// interrupt it between the spawn and the collection.
ChildEnd WaitForChild(pid_t pid, int timeoutSeconds) {
  ChildEnd end;
  const Clock::time_point deadline =
      timeoutSeconds > 0 ? Clock::now() + std::chrono::seconds(timeoutSeconds) : Clock::time_point::max();
  if (!WaitUntil(pid, deadline, &end.lost)) {
    end.timedOut = true;
    StopGroup(pid, &end.lost);
  }
  RemoveRunningChild(pid);
  while (!end.lost && waitpid(pid, &end.status, 0) < 0) {
    if (errno != EINTR) end.lost = true;
  }
  return end;
}

std::string SignalText(int sig) {
  const char* name = strsignal(sig);
  return "signal " + std::to_string(sig) + (name != nullptr ? " (" + std::string(name) + ")" : std::string());
}

void Describe(const std::string& program, const ChildEnd& end, int timeoutSeconds, ProcessResult* result) {
  result->timedOut = end.timedOut;
  if (end.lost) {
    result->error = "the exit status of " + Quoted(program) + " was collected elsewhere (is SIGCHLD ignored?)";
    return;
  }
  if (WIFEXITED(end.status)) result->exitCode = WEXITSTATUS(end.status);
  if (WIFSIGNALED(end.status)) result->termSignal = WTERMSIG(end.status);
  const std::string how = result->termSignal != 0 ? "killed by " + SignalText(result->termSignal)
                                                  : "exited with code " + std::to_string(result->exitCode);
  if (end.timedOut) {
    result->error = Quoted(program) + " ran longer than " + std::to_string(timeoutSeconds) + " s and was stopped (" + how + ")";
  } else if (result->termSignal != 0) {
    result->error = Quoted(program) + " was " + how;
  }
}

void Run(const std::vector<std::string>& argv, const ProcessOptions& options, ProcessResult* result) {
  if (!CheckArguments(argv, &result->error)) return;
  const std::string& program = argv[0];
  FileDescriptor in;
  FileDescriptor out;
  std::vector<std::string> env;
  if (!OpenInput(options.stdinPath, program, &in, &result->error) ||
      !OpenOutput(options.outputPath, program, &out, &result->error) ||
      !BuildEnvironment(options.extraEnv, &env, &result->error)) {
    return;
  }
  const std::vector<char*> args = PointerArray(argv);
  const std::vector<char*> envp = PointerArray(env);
  pid_t pid = -1;
  const int err = SpawnSetup().Spawn(in.get(), out.get(), args.data(),
                                     options.extraEnv.empty() ? environ : envp.data(), &pid);
  in.Reset(-1);  // the child holds its own copies
  out.Reset(-1);
  if (err != 0) {
    result->error = SpawnError(program, err);
    return;
  }
  result->started = true;
  AddRunningChild(pid);  // an interrupt of the host reaches the child's group too
  const ChildEnd end = WaitForChild(pid, options.timeoutSeconds);
  HoldIfInterrupted();  // the child was stopped by an interrupt of the host, which ends the process
  Describe(program, end, options.timeoutSeconds, result);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  ProcessResult result;
  try {
    Run(argv, options, &result);
  } catch (...) {  // only allocation can throw, never while a child is left uncollected
    try {
      result.error = "out of memory while running a program";
    } catch (...) {
      result.error.clear();
    }
  }
  return result;
}

}  // namespace hx
