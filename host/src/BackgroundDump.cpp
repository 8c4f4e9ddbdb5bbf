// The dump-writing thread: one message at a time, handed over and back under one lock.
#include "BackgroundDump.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hx/Interrupt.h"
#include "hx/XmlForm.h"

namespace hx {

namespace {

// Whether the file at `path` is large enough to be streamed (kStreamedFileSize).
bool IsStreamed(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && st.st_size >= kStreamedFileSize;
}

// A large job list is not read again by the run: once it is on disk its pages
// are given back to the system, which hands them to the next list. Pages that
// are reused at once cost far less than fresh ones (on virtual machines a
// fresh page is a fault in the host), and a run of millions of save sets does
// not push the rest of the machine out of the cache. Waits for the file's
// writing (started when it was written) to end, then drops its pages.
void DropFromCacheOnceWritten(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);  // the file written, not what a link names
  if (fd < 0) return;
  sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
}

}  // namespace

BackgroundDump::BackgroundDump() : m_thread(StartThreadWithSignalsBlocked([this] { Run(); })) {}

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
    // The file before this one has had the time of this one's writing to reach the disk.
    if (!m_previousPath.empty()) DropFromCacheOnceWritten(m_previousPath);
    m_previousPath = written && IsStreamed(path) ? path : std::string();
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
