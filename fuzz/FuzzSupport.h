// Pieces the fuzz targets share: walking a report's lines the way the report
// reader sees them, and a scratch folder for parsers that write files.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "handler/CForeignHandlerNWK.h"
#include "text/ReportReader.h"
#include "text/TextUtils.h"

namespace fuzzsupport {

// Calls `visit` with every line of `text`, blank ones included, normalised as
// the report reader normalises them.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
  for (size_t pos = 0; pos <= text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    NormalizeReportLine(line);
    visit(line);
    pos = end + 1;
  }
}

// The values of every "name:" line.
template <class Set = std::set<std::string>>
Set NameValues(std::string_view text) {
  Set names;
  ForEachLine(text, [&](const std::string& line) {
    if (HasPrefix(line, "name:")) names.insert(CForeignHandlerNWK::GetAttributeValue(line, ':'));
  });
  return names;
}

// A folder of its own for the whole run, emptied after each input.
class ScratchDir {
 public:
  explicit ScratchDir(const char* name) {
    std::string pattern = std::string("/tmp/nwk-fuzz-") + name + "-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    m_path = pattern;
  }
  ~ScratchDir() { Remove(); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return m_path; }

  void Remove() const {
    Empty();
    rmdir(m_path.c_str());
  }
  // Removes every file in the folder; answers how many there were.
  size_t Empty() const {
    size_t removed = 0;
    DIR* dir = opendir(m_path.c_str());
    if (!dir) return 0;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      unlink((m_path + "/" + name).c_str());
      ++removed;
    }
    closedir(dir);
    return removed;
  }

 private:
  std::string m_path;
};

}  // namespace fuzzsupport
