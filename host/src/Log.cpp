// Log sink and the EvDebug front end: one line per call, appended to the job's log file.
#include "hx/Log.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <atomic>
#include <ctime>
#include <mutex>
#include <vector>

namespace hx {
namespace {

struct SinkState {
  std::mutex mutex;
  FILE* file = nullptr;
  int debugLevel = 4;
  bool echoErrors = false;
  bool capture = false;
  std::string captured;
  std::atomic<long long> errors{0};
};

SinkState& State() {
  static SinkState state;
  return state;
}

// Most messages fit the stack buffer: formatted once, with no allocation but the answer.
std::string FormatMessage(const char* fmt, va_list args) {
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int size = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (size <= 0) return std::string();
  if (static_cast<size_t>(size) < sizeof small) return std::string(small, static_cast<size_t>(size));
  std::string text(static_cast<size_t>(size) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), fmt, args);
  text.pop_back();
  return text;
}

// "YYYY-MM-DD HH:MM:SS.mmm". The date and time up to the second change once a
// second, so they are formatted once a second (per thread), not once a line.
void AppendTimeStamp(std::string& line) {
  timeval now{};
  gettimeofday(&now, nullptr);
  thread_local time_t second = -1;
  thread_local char upToSecond[32];
  thread_local size_t length = 0;
  if (now.tv_sec != second) {
    tm local{};
    localtime_r(&now.tv_sec, &local);
    length = std::strftime(upToSecond, sizeof upToSecond, "%Y-%m-%d %H:%M:%S", &local);
    second = now.tv_sec;
  }
  char millis[8];
  int n = std::snprintf(millis, sizeof millis, ".%03ld", static_cast<long>(now.tv_usec / 1000));
  line.append(upToSecond, length).append(millis, static_cast<size_t>(n));
}

// A line formatted but not yet written: what a LogHold keeps.
struct HeldLine {
  std::string line;
  std::string func;
  std::string message;
  bool isError;
};

// The lines of the calling thread's holding LogHold; null when it has none.
thread_local std::vector<HeldLine>* t_held = nullptr;

// Counts an error line and writes a formatted line (one with text) to the
// file, the capture and (errors) stderr.
void Emit(SinkState& s, const HeldLine& held) {
  if (held.isError) ++s.errors;
  if (held.line.empty()) return;
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.file) {
    std::fputs(held.line.c_str(), s.file);
    std::fputc('\n', s.file);
    std::fflush(s.file);
  }
  if (s.capture) s.captured += held.line + "\n";
  if (held.isError && s.echoErrors) std::fprintf(stderr, "error: %s: %s\n", held.func.c_str(), held.message.c_str());
}

}  // namespace

struct LogHold::Lines {
  std::vector<HeldLine> held;
};

LogHold::LogHold(bool active) {
  if (!active || t_held) return;
  m_lines = std::make_unique<Lines>();
  t_held = &m_lines->held;
}

LogHold::~LogHold() { Release(); }

void LogHold::Stop() {
  if (m_lines && t_held == &m_lines->held) t_held = nullptr;
}

void LogHold::Release() {
  Stop();
  if (!m_lines) return;
  for (const HeldLine& line : m_lines->held) Emit(State(), line);
  m_lines.reset();
}

void LogHold::Discard() {
  Stop();
  m_lines.reset();
}

bool LogSink::OpenFile(const std::string& path) {
  SinkState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.file) std::fclose(s.file);
  s.file = nullptr;
  if (path.empty()) return true;
  // Never through a symbolic link: the log is a file of the results directory.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd >= 0 && !(s.file = fdopen(fd, "a"))) close(fd);
  return s.file != nullptr;
}

void LogSink::Close() { (void)OpenFile(std::string()); }

void LogSink::SetDebugLevel(int level) { State().debugLevel = level; }
int LogSink::DebugLevel() { return State().debugLevel; }
void LogSink::SetEchoErrors(bool echo) { State().echoErrors = echo; }

void LogSink::SetCapture(bool capture) {
  SinkState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.capture = capture;
  s.captured.clear();
}

std::string LogSink::Captured() {
  SinkState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.captured;
}

long long LogSink::ErrorCount() { return State().errors; }

void LogSink::Write(const char* func, const char* level, long long jobId, const char* fmt, va_list args) {
  SinkState& s = State();
  bool isError = std::string(level) == "Error";
  HeldLine held{std::string(), func ? func : "?", std::string(), isError};
  // Without a sink only errors matter, and only as a count: nothing to format.
  if (s.file || s.capture || (isError && s.echoErrors)) {
    held.message = FormatMessage(fmt, args);
    held.line.reserve(48 + held.func.size() + held.message.size());
    AppendTimeStamp(held.line);
    held.line.append(" [").append(std::to_string(getpid()));
    if (jobId >= 0) held.line.append(" job ").append(std::to_string(jobId));
    held.line.append("] ").append(held.func).append(" ").append(level).append(": ").append(held.message);
  } else if (!isError) {
    return;
  }
  if (t_held)
    t_held->push_back(std::move(held));
  else
    Emit(s, held);
}

}  // namespace hx

namespace {
constexpr long long kNoJob = -1;

bool LevelPasses(int level) { return level <= hx::LogSink::DebugLevel(); }
std::string LevelName(int level) { return "L" + std::to_string(level); }
}  // namespace

void EvDebug::Debug(const char* func, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  hx::LogSink::Write(func, "Debug", kNoJob, fmt, args);
  va_end(args);
}

void EvDebug::Error(const char* func, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  hx::LogSink::Write(func, "Error", kNoJob, fmt, args);
  va_end(args);
}

void EvDebug::DebugLvl(const char* func, int level, const char* fmt, ...) {
  if (!LevelPasses(level)) return;
  va_list args;
  va_start(args, fmt);
  hx::LogSink::Write(func, LevelName(level).c_str(), kNoJob, fmt, args);
  va_end(args);
}

void EvDebug::DebugLvl(const char* func, int level, long long jobId, const char* fmt, ...) {
  if (!LevelPasses(level)) return;
  va_list args;
  va_start(args, fmt);
  hx::LogSink::Write(func, LevelName(level).c_str(), jobId, fmt, args);
  va_end(args);
}

void EvDebug::DebugJob(const char* func, long long jobId, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  hx::LogSink::Write(func, "Debug", jobId, fmt, args);
  va_end(args);
}
