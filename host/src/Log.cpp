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

std::string FormatMessage(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int size = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (size <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
  return std::string(buffer.data(), static_cast<size_t>(size));
}

std::string TimeStamp() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[40];
  size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(text + n, sizeof text - n, ".%03ld", static_cast<long>(now.tv_usec / 1000));
  return text;
}

}  // namespace

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
  if (isError) ++s.errors;
  if (!s.file && !s.capture && !(isError && s.echoErrors)) return;
  std::string message = FormatMessage(fmt, args);
  std::string job = jobId >= 0 ? " job " + std::to_string(jobId) : std::string();
  std::string line = TimeStamp() + " [" + std::to_string(getpid()) + job + "] " + (func ? func : "?") + " " +
                     level + ": " + message;
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.file) {
    std::fputs(line.c_str(), s.file);
    std::fputc('\n', s.file);
    std::fflush(s.file);
  }
  if (s.capture) s.captured += line + "\n";
  if (isError && s.echoErrors) std::fprintf(stderr, "error: %s: %s\n", func ? func : "?", message.c_str());
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
