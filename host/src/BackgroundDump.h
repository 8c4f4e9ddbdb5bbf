// A second thread that writes one message at a time into a dump folder, so a
// handler can build its next message while the last one is written (internal
// to the host library).
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hx/Log.h"
#include "hx/Message.h"

namespace hx {

// A message file at least this large is streamed: its writing to disk starts
// as soon as it is written, and once it is there the dump thread gives its
// pages back (a job list of tens of thousands of jobs and more). Smaller
// files are left to the operation's sync, which writes them together.
constexpr long long kStreamedFileSize = 8LL << 20;

// The thread does only the pure part of a dump: serializing, writing the
// file, naming it and freeing the message, and the companion's work. It never
// logs and touches nothing of the caller's but what Start hands it (the
// folder's numbering is guarded on its own), so the caller stays free to log,
// parse and write other files.
class BackgroundDump {
 public:
  // Runs on the thread with the message, before it is written; answers the
  // error lines the caller is to log.
  using Companion = std::function<std::vector<ErrorLine>(const CNMessageBase&)>;

  BackgroundDump();
  // Finishes the write in progress, if any, then stops the thread.
  ~BackgroundDump();
  BackgroundDump(const BackgroundDump&) = delete;
  BackgroundDump& operator=(const BackgroundDump&) = delete;

  // Starts writing `msg` into `folder` as DumpMessageToFolder does, after
  // `companion` (if any) has run. The write started before must have been
  // waited for.
  void Start(CNMessageBase msg, std::string folder, Companion companion = nullptr);
  // Waits for the write started last: true with the path written, false with
  // the reason. False ("nothing was started") without a started write. The
  // companion's error lines are handed over in `said`.
  bool Wait(std::string* path, std::string* error, std::vector<ErrorLine>* said = nullptr);

 private:
  enum class State { kIdle, kQueued, kWriting, kDone };
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_changed;
  State m_state = State::kIdle;
  bool m_stop = false;
  std::unique_ptr<CNMessageBase> m_message;
  std::string m_folder;
  Companion m_companion;
  std::vector<ErrorLine> m_said;
  bool m_written = false;
  std::string m_path;
  std::string m_error;
  std::string m_previousPath;  // of the thread: the file written before, still in the cache
  std::thread m_thread;  // last: starts once the members above exist
};

}  // namespace hx
