// Runs an external program without a shell: its input comes from a file, its
// standard output and standard error go to one file, and a time-out stops it.
#pragma once

#include <string>
#include <vector>

namespace hx {

struct ProcessOptions {
  std::string stdinPath;   // opened read-only for the child; empty: /dev/null
  std::string outputPath;  // stdout and stderr of the child, created or truncated
                           // with mode 0644 (less the umask), never through a
                           // symbolic link; empty: discarded
  // Past this the child's process group gets SIGTERM, and SIGKILL about two
  // seconds later. Zero or less: no time-out.
  int timeoutSeconds = 1800;
  std::vector<std::string> extraEnv;  // "KEY=VALUE", added to or replacing the inherited environment
};

struct ProcessResult {
  bool started = false;   // false: not spawned (program not found, input missing, output not writable)
  bool timedOut = false;  // stopped by the time-out; exitCode/termSignal tell how it ended
  int exitCode = -1;      // set when the child exited normally
  int termSignal = 0;     // non-zero when the child was killed by a signal
  std::string error;      // empty after a normal exit (whatever its code); otherwise why it
                          // did not start or how it ended, naming the program and file
};

// Runs argv[0] (looked up in the caller's PATH when it has no '/') with argv as
// its arguments, waits for it and reports how it ended. The output goes straight
// to the file, never through memory, so it may be of any size. The input file is
// opened before the output file, so a missing input leaves an old output alone.
// The child runs in its own process group, with default signal handling and
// no blocked signals, and inherits no descriptor other than 0, 1 and 2 (on
// glibc 2.34 and later; elsewhere only close-on-exec descriptors are kept back).
// A time-out signals the whole group, so helpers the program started stop too.
// Leaves no zombie and no open descriptor behind. Blocks the calling thread;
// safe to call from several threads at once. Never throws.
// If the process ignores SIGCHLD, the exit status is lost and error says so.
// While the host handles an interrupt (hx/Interrupt.h), it does not return.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

}  // namespace hx
