// Numbering of dump files: a listing per folder, then counting on.
#include "DumpNumbers.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "XmlCommon.h"

namespace hx {
using namespace xmlcommon;
namespace {

// The number of a dump file name "NNNNN_<anything>.xml" (at least 5 digits); false otherwise.
bool DumpNumberOf(std::string_view name, unsigned long* number) {
  std::size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
  constexpr std::string_view kExtension = ".xml";
  if (digits < 5 || name.size() < digits + 1 + kExtension.size() || name[digits] != '_') return false;
  if (name.substr(name.size() - kExtension.size()) != kExtension) return false;
  return ParseNumber(name.substr(0, digits), number);
}

bool ListNextNumber(const std::string& folder, unsigned long* next, std::string* error) {
  std::error_code code;
  unsigned long highest = 0;
  for (std::filesystem::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
    unsigned long number = 0;
    if (DumpNumberOf(it->path().filename().native(), &number) && number > highest) highest = number;
  }
  if (code) return SetError(error, "cannot list folder '" + folder + "': " + code.message());
  *next = highest + 1;
  return true;
}

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

DumpNumbers& DumpNumbers::OfProcess() {
  static DumpNumbers numbers;
  return numbers;
}

bool DumpNumbers::Next(const std::string& folder, unsigned long* next, std::string* error) {
  struct stat now {};
  bool known = stat(folder.c_str(), &now) == 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = folders_.find(folder);
    if (known && it != folders_.end() && SameState(it->second.listed, now)) {
      *next = it->second.next;
      return true;
    }
  }
  return Rescan(folder, next, error);
}

// The folder's state is taken before the listing, so a change made during it is seen next time.
bool DumpNumbers::Rescan(const std::string& folder, unsigned long* next, std::string* error) {
  struct stat before {};
  bool known = stat(folder.c_str(), &before) == 0;
  if (!ListNextNumber(folder, next, error)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (known) folders_[folder] = Entry{before, *next};
  return true;
}

void DumpNumbers::Used(const std::string& folder, unsigned long number) {
  struct stat now {};
  std::lock_guard<std::mutex> lock(mutex_);
  if (stat(folder.c_str(), &now) == 0) folders_[folder] = Entry{now, number + 1};
  else folders_.erase(folder);
}

}  // namespace hx
