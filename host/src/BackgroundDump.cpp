// The dump-writing thread: one message at a time, handed over and back under one lock.
#include "BackgroundDump.h"

#include <pthread.h>
#include <signal.h>

#include "hx/XmlForm.h"

namespace hx {

namespace {

// The thread is started with every signal blocked, so signals meant for the
// process (an interrupt, a time-out's alarm) reach the thread that handles them.
std::thread StartWithSignalsBlocked(void (BackgroundDump::*run)(), BackgroundDump* dump) {
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  std::thread thread(run, dump);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return thread;
}

}  // namespace

BackgroundDump::BackgroundDump() : m_thread(StartWithSignalsBlocked(&BackgroundDump::Run, this)) {}

BackgroundDump::~BackgroundDump() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

void BackgroundDump::Start(CNMessageBase msg, std::string folder, Companion companion) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_message = std::make_unique<CNMessageBase>(std::move(msg));
    m_folder = std::move(folder);
    m_companion = std::move(companion);
    m_state = State::kQueued;
  }
  m_changed.notify_all();
}

bool BackgroundDump::Wait(std::string* path, std::string* error, std::vector<ErrorLine>* said) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_state == State::kIdle) {
    if (error) *error = "nothing was started";
    return false;
  }
  m_changed.wait(lock, [this] { return m_state == State::kDone; });
  m_state = State::kIdle;
  if (path) *path = m_path;
  if (error) *error = m_error;
  if (said) *said = std::move(m_said);
  m_said.clear();
  return m_written;
}

void BackgroundDump::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_stop || m_state == State::kQueued; });
    if (m_state != State::kQueued) return;  // stopping with nothing left to write
    m_state = State::kWriting;
    std::unique_ptr<CNMessageBase> message = std::move(m_message);
    std::string folder = std::move(m_folder);
    Companion companion = std::move(m_companion);
    lock.unlock();
    std::vector<ErrorLine> said;
    if (companion) said = companion(*message);
    std::string path, error;
    bool written = DumpMessageToFolder(*message, folder, &path, &error);
    message.reset();  // a large list is freed here too, off the caller's thread
    companion = nullptr;
    lock.lock();
    m_said = std::move(said);
    m_written = written;
    m_path = std::move(path);
    m_error = std::move(error);
    m_state = State::kDone;
    m_changed.notify_all();
  }
}

}  // namespace hx
