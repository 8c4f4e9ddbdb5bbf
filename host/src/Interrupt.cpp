// The running children and temporary files of a run, and the thread that
// waits for SIGINT and SIGTERM to undo them.
#include "hx/Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

namespace hx {
namespace {

constexpr size_t kMaxChildren = 64;
constexpr std::chrono::milliseconds kPoll{10};
constexpr std::chrono::seconds kGrace{2};  // between the forwarded signal and SIGKILL

struct Registry {
  std::mutex mutex;
  std::array<pid_t, kMaxChildren> children{};  // 0: free slot
  std::set<std::string> tempFiles;
};

Registry& State() {
  static Registry registry;
  return registry;
}

// Signals every listed group; answers how many there were.
size_t SignalChildren(int sig) {
  Registry& r = State();
  std::lock_guard<std::mutex> lock(r.mutex);
  size_t listed = 0;
  for (pid_t pid : r.children) {
    if (pid == 0) continue;
    kill(-pid, sig);
    ++listed;
  }
  return listed;
}

std::atomic<bool> g_interrupted{false};

struct Watch {
  std::mutex mutex;
  std::function<void(int)> onSignal;
  bool started = false;
};

Watch& Watcher() {
  static Watch watch;
  return watch;
}

}  // namespace

void AddRunningChild(pid_t pid) {
  Registry& r = State();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto free = std::find(r.children.begin(), r.children.end(), 0);
  if (free != r.children.end()) *free = pid;
}

void RemoveRunningChild(pid_t pid) {
  Registry& r = State();
  std::lock_guard<std::mutex> lock(r.mutex);
  std::replace(r.children.begin(), r.children.end(), pid, 0);
}

void StopRunningChildren(int sig) {
  if (SignalChildren(sig) == 0) return;
  // The threads waiting for the children unlist them as they end.
  auto deadline = std::chrono::steady_clock::now() + kGrace;
  while (SignalChildren(0) > 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPoll);
  SignalChildren(SIGKILL);
}

void AddTempFile(const std::string& path) {
  Registry& r = State();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.tempFiles.insert(path);
}

void ForgetTempFile(const std::string& path) {
  Registry& r = State();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.tempFiles.erase(path);
}

int DeleteTempFiles() {
  Registry& r = State();
  std::lock_guard<std::mutex> lock(r.mutex);
  int removed = 0;
  for (const std::string& path : r.tempFiles) removed += unlink(path.c_str()) == 0;
  r.tempFiles.clear();
  return removed;
}

void HoldIfInterrupted() {
  while (g_interrupted.load()) pause();
}

void WatchInterrupts(std::function<void(int)> onSignal) {
  Watch& w = Watcher();
  std::lock_guard<std::mutex> lock(w.mutex);
  w.onSignal = std::move(onSignal);
  if (w.started) return;
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    for (;;) {
      int sig = 0;
      if (sigwait(&set, &sig) != 0) continue;
      std::lock_guard<std::mutex> held(Watcher().mutex);  // kept: the callback ends the process
      if (!Watcher().onSignal) continue;
      g_interrupted = true;
      Watcher().onSignal(sig);
    }
  }).detach();
  w.started = true;
}

std::thread StartThreadWithSignalsBlocked(std::function<void()> work) {
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  try {
    std::thread thread(std::move(work));
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    throw;
  }
}

void StopWatchingInterrupts() {
  Watch& w = Watcher();
  std::lock_guard<std::mutex> lock(w.mutex);
  w.onSignal = nullptr;
}

}  // namespace hx
