// INI settings store.
#include "hx/Settings.h"

#include <charconv>

#include "hx/Files.h"
#include "hx/JobContext.h"
#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

std::string KeyOf(const std::string& section, const std::string& key) {
  return hx::ToLower(Trim(section, " \t")) + "\n" + hx::ToLower(Trim(key, " \t"));
}

}  // namespace

HxPlatformInfo::HxPlatformInfo() : HxPlatformInfo(hx::JobContext::Current().settingsFile) {}

HxPlatformInfo::HxPlatformInfo(const std::string& iniPath) {
  if (iniPath.empty()) return;
  std::string text;
  if (!hx::ReadWholeFile(iniPath, &text, &m_loadError)) return;
  if (!LoadText(text, &m_loadError)) m_loadError = iniPath + ":" + m_loadError;
}

bool HxPlatformInfo::LoadText(const std::string& text, std::string* error) {
  std::string section;
  size_t lineNo = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start), " \t\r");
    start = end + 1;
    ++lineNo;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) {
      if (error) *error = std::to_string(lineNo) + ": expected [section] or key=value, got '" + line + "'";
      return false;
    }
    m_values[KeyOf(section, line.substr(0, eq))] = Trim(line.substr(eq + 1), " \t");
  }
  return true;
}

const std::string* HxPlatformInfo::Find(const std::string& section, const std::string& key) const {
  auto it = m_values.find(KeyOf(section, key));
  return it == m_values.end() ? nullptr : &it->second;
}

int HxPlatformInfo::getString(const std::string& section, const std::string& key, std::string* value) const {
  const std::string* found = Find(section, key);
  if (!found) return 0;
  *value = *found;
  return 1;
}

int HxPlatformInfo::getNumber(const std::string& section, const std::string& key, unsigned long* value) const {
  const std::string* found = Find(section, key);
  if (!found || found->empty()) return 0;
  unsigned long parsed = 0;
  const char* end = found->data() + found->size();
  auto result = std::from_chars(found->data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end) {
    EvEvent().Error("HxPlatformInfo::getNumber",
                    "Setting [%s] %s=%s is not understood (a whole number is expected): ignored", section.c_str(),
                    key.c_str(), found->c_str());
    return 0;
  }
  *value = parsed;
  return 1;
}
