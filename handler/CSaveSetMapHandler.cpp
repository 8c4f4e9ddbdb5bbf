// CSaveSetMapHandler: loading, extending and saving one client's name map.
#include "handler/CSaveSetMapHandler.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "hx/Files.h"
#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

int Clamp(long long number) { return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX)); }

}  // namespace

std::string CSaveSetMapHandler::MapFilePath() const {
  return m_jobResultsDir + "/" + hx::SafeFileName(m_clientName) + ".txt";
}

// A line without a comma is the next number. Otherwise the name follows the
// last comma (names never hold one) and the key, which may hold commas as
// save set names do, is everything before it.
void CSaveSetMapHandler::LoadLine(const std::string& line) {
  size_t comma = line.rfind(',');
  long long number = 0;
  if (comma == std::string::npos) {
    if (hx::ParseLeadingInteger(line, &number)) m_nextNumber = Clamp(number);
    return;
  }
  std::string key = line.substr(0, comma);
  std::string name = Trim(line.substr(comma + 1), " \r");  // an edited file may end lines in CR
  if (name.empty()) return;
  m_map.emplace(key, ssrecord(name, true));
  // Never hand out a name the file already gives to another key, even when
  // its first line was edited to a lower number.
  constexpr std::string_view kPrefix = "subclient";
  if (name.compare(0, kPrefix.size(), kPrefix) == 0 && hx::ParseLeadingInteger(name.substr(kPrefix.size()), &number))
    m_highestLoaded = std::max(m_highestLoaded, Clamp(number));
}

bool CSaveSetMapHandler::LoadSaveSetMap() {
  m_nextNumber = 1;
  m_highestLoaded = 0;
  m_map.clear();
  std::string text;
  m_loadedText.clear();
  if (!hx::ReadWholeFile(MapFilePath(), &text, nullptr)) return true;
  m_loadedText = text;
  // Our own file, not a report: keys are kept byte for byte (a key may begin
  // with anything a group name can), so lines are split on newlines only.
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) LoadLine(text.substr(start, end - start));
    start = end + 1;
  }
  if (m_highestLoaded < INT_MAX && m_nextNumber <= m_highestLoaded) m_nextNumber = m_highestLoaded + 1;
  return true;
}

std::string CSaveSetMapHandler::get_AppName(const std::string& key) {
  auto it = m_map.find(key);
  if (it != m_map.end()) {
    it->second.loaded = false;
    return it->second.name;
  }
  std::string name = "subclient" + std::to_string(m_nextNumber);
  if (m_nextNumber < INT_MAX) ++m_nextNumber;
  m_map.emplace(key, ssrecord(name, false));
  return name;
}

bool CSaveSetMapHandler::EnsureFolder(std::string* error) {
  if (m_folderReady != m_jobResultsDir) {
    if (!hx::MakeDirectories(m_jobResultsDir, error)) return false;
    m_folderReady = m_jobResultsDir;
  }
  return true;
}

bool CSaveSetMapHandler::SaveMap() {
  std::string text = std::to_string(m_nextNumber) + "\n";
  for (const auto& [key, record] : m_map) text.append(key).append(",").append(record.name).append("\n");
  if (text == m_loadedText) return true;  // unchanged since it was read: the common case on later runs
  std::string error;
  if (EnsureFolder(&error) && hx::ReplaceFile(MapFilePath(), text, &error)) return true;
  EvEvent().Error("CSaveSetMapHandler::SaveMap", "cannot save the subclient names of client [%s]: %s",
                  m_clientName.c_str(), error.c_str());
  return false;
}
