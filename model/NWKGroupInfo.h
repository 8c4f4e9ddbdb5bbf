// One NetWorker backup group: when it starts, how often it repeats within the
// day, and which schedule overrides its members' own.
#pragma once

#include <string>

class NWKGroupInfo {
 public:
  std::string get_groupName() const { return m_groupName; }
  void set_groupName(const std::string& value) { m_groupName = value; }
  std::string get_startTime() const { return m_startTime; }
  void set_startTime(const std::string& value) { m_startTime = value; }
  std::string get_overridenScheduleName() const { return m_overridenScheduleName; }
  void set_overridenScheduleName(const std::string& value) { m_overridenScheduleName = value; }
  unsigned int get_backupInterval() const { return m_backupInterval; }
  void set_backupInterval(const unsigned int& value) { m_backupInterval = value; }

 private:
  std::string m_groupName;
  std::string m_startTime;
  std::string m_overridenScheduleName;
  unsigned int m_backupInterval = 0;
};
