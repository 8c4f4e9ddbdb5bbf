// Settings lookup: an INI file of sections and key=value lines, the file named
// by the job context (the runner's --settings option).
#pragma once

#include <map>
#include <string>

// Which settings scope a lookup reads; the stand-in host has one scope.
struct HxPI_Focus {
  static int getFocus() { return 0; }
};

class HxPlatformInfo {
 public:
  // Loads the job context's settings file; a missing file means no settings.
  HxPlatformInfo();
  explicit HxPlatformInfo(const std::string& iniPath);

  void setFocus(int focus) { m_focus = focus; }
  // Non-zero when the key exists in the section (section and key compare
  // without regard to case; the value is trimmed of blanks).
  int getString(const std::string& section, const std::string& key, std::string* value) const;
  // Non-zero when the key exists and its value is a whole unsigned number. A
  // value there but not such a number is logged, naming the key, as ignored.
  int getNumber(const std::string& section, const std::string& key, unsigned long* value) const;

  // Reads INI text. Lines: "[section]", "key=value", blank, or comments
  // starting with ';' or '#'. Returns false (with the line number in `error`)
  // on a malformed line, keeping what was read before it.
  bool LoadText(const std::string& text, std::string* error);
  const std::string& LoadError() const { return m_loadError; }

 private:
  const std::string* Find(const std::string& section, const std::string& key) const;

  int m_focus = 0;
  std::map<std::string, std::string> m_values;  // "section\nkey" (lower case) -> value
  std::string m_loadError;
};
