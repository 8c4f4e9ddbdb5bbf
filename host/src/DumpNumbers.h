// The next free file number of each dump folder, kept per process so that a
// folder is listed once rather than once per message (internal to the host library).
#pragma once

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <unordered_map>

namespace hx {

// Dump files are named "NNNNN_<anything>.xml" (5 digits at least). A folder is
// listed when the process first writes into it; afterwards the number counts on
// from the last one used, as long as the folder is still the one listed (same
// device and inode) and unchanged since this process last wrote there (same
// modification time). Anything else (another writer, files removed, the folder
// made anew) lists it again. Only a hint: the caller still never replaces a file
// and calls Rescan when the name it tried is taken. Safe across threads.
class DumpNumbers {
 public:
  static DumpNumbers& OfProcess();

  // The number to try in `folder`. False, with `error`, when it cannot be listed.
  bool Next(const std::string& folder, unsigned long* next, std::string* error);
  // One more than the highest number in `folder` now, listed again.
  bool Rescan(const std::string& folder, unsigned long* next, std::string* error);
  // `number` now names a file in `folder`, written by this process.
  void Used(const std::string& folder, unsigned long number);

 private:
  struct Entry {
    struct stat listed;  // the folder as this process last left it
    unsigned long next;
  };

  std::mutex mutex_;
  std::unordered_map<std::string, Entry> folders_;
};

}  // namespace hx
