// Host logging: printf-style lines written to the job's log file.
//
// Every line carries time, process id, job id (when given), the caller's
// qualified function name, the level and the message. DebugLvl lines pass when
// their level is at most the configured debug level; Error lines always pass and
// are also echoed on stderr when the runner asks for it.
#pragma once

#include <cstdarg>
#include <memory>
#include <string>

#define HX_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))

namespace hx {

// Process-wide log sink, configured once by the host process (the runner).
// Without a configured file, lines go nowhere (tests and fuzzers stay quiet).
class LogSink {
 public:
  // Appends (never through a symbolic link); an empty path closes. False,
  // with errno set, when the file cannot be opened.
  static bool OpenFile(const std::string& path);
  static void Close();
  static void SetDebugLevel(int level);            // default 4
  static int DebugLevel();
  static void SetEchoErrors(bool echo);            // copy Error lines to stderr
  // Captures lines in memory as well (tests); Captured() returns them joined by '\n'.
  static void SetCapture(bool capture);
  static std::string Captured();
  // Error lines logged since the process started, whether or not a file or
  // stderr took them: the host reads it around each operation to tell an
  // operation that succeeded cleanly from one that logged errors on the way.
  // A held line counts once released; a discarded one never does.
  static long long ErrorCount();
  static void Write(const char* func, const char* level, long long jobId, const char* fmt, va_list args);
};

// Holds back the lines the current thread logs, so that work done ahead of
// its turn still logs in the order of a run that does one thing after the
// other: lines are kept in memory (with the time they were logged) until
// Release writes them in order, or Discard drops them as if never logged.
// Stop ends the holding but keeps what was held, so that lines which must
// come first can be logged before the Release. An inactive hold holds
// nothing. One hold per thread at a time; the destructor releases.
class LogHold {
 public:
  explicit LogHold(bool active = true);
  ~LogHold();
  LogHold(const LogHold&) = delete;
  LogHold& operator=(const LogHold&) = delete;
  void Stop();
  void Release();
  void Discard();

 private:
  struct Lines;
  std::unique_ptr<Lines> m_lines;  // null when inactive or done
};

// An Error line made where nothing may log (the dump thread), handed back to
// be logged in its place by the thread that logs.
struct ErrorLine {
  const char* func;
  std::string text;
};

}  // namespace hx

class EvDebug {
 public:
  EvDebug() = default;
  virtual ~EvDebug() = default;
  void Debug(const char* func, const char* fmt, ...) HX_PRINTF(3, 4);
  void Error(const char* func, const char* fmt, ...) HX_PRINTF(3, 4);
  void DebugLvl(const char* func, int level, const char* fmt, ...) HX_PRINTF(4, 5);
  void DebugLvl(const char* func, int level, long long jobId, const char* fmt, ...) HX_PRINTF(5, 6);
  void DebugJob(const char* func, long long jobId, const char* fmt, ...) HX_PRINTF(4, 5);
};

// The per-operation logger object the plug-in creates.
class EvEvent : public EvDebug {
 public:
  EvEvent() = default;
};
