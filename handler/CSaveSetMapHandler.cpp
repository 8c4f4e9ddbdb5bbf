// CSaveSetMapHandler: loading, extending and saving one client's name map.
#include "handler/CSaveSetMapHandler.h"

#include <climits>

#include "handler/ReportReader.h"
#include "hx/Files.h"
#include "hx/Log.h"
#include "hx/Strings.h"

std::string CSaveSetMapHandler::MapFilePath() const {
  return m_jobResultsDir + "/" + hx::SafeFileName(m_clientName) + ".txt";
}

// A line without a comma is the next number. Otherwise the name follows the
// last comma (names never hold one) and the key, which may hold commas as
// save set names do, is everything before it.
void CSaveSetMapHandler::LoadLine(const std::string& line) {
  size_t comma = line.rfind(',');
  if (comma == std::string::npos) {
    long long number = hx::LeadingInteger(line);
    m_nextNumber = static_cast<int>(number < INT_MIN ? INT_MIN : number > INT_MAX ? INT_MAX : number);
    return;
  }
  std::string key = Trim(line.substr(0, comma), " ");
  std::string name = Trim(line.substr(comma + 1), " ");
  if (!name.empty()) m_map.emplace(key, ssrecord(name, true));
}

bool CSaveSetMapHandler::LoadSaveSetMap() {
  m_nextNumber = 1;
  m_map.clear();
  std::string text;
  if (!hx::ReadWholeFile(MapFilePath(), &text, nullptr)) return true;
  ReportReader reader(text, MapFilePath());
  std::string line;
  while (reader.Next(&line)) LoadLine(line);
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

bool CSaveSetMapHandler::SaveMap() {
  std::string text = std::to_string(m_nextNumber) + "\n";
  for (const auto& [key, record] : m_map) text.append(key).append(",").append(record.name).append("\n");
  std::string error;
  if (!hx::MakeDirectories(m_jobResultsDir, &error) || !hx::ReplaceFile(MapFilePath(), text, &error))
    EvEvent().Error("CSaveSetMapHandler::SaveMap", "cannot save the subclient names of client [%s]: %s",
                    m_clientName.c_str(), error.c_str());
  return true;
}
