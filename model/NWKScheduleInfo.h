// One NetWorker schedule: its period ("Week" or "Month") and its day actions.
#pragma once

#include <string>
#include <vector>

class NWKScheduleInfo {
 public:
  std::string get_scheduleName() const { return m_scheduleName; }
  void set_scheduleName(const std::string& value) { m_scheduleName = value; }
  std::string get_schedulePeriod() const { return m_schedulePeriod; }
  void set_schedulePeriod(const std::string& value) { m_schedulePeriod = value; }
  std::vector<std::string>& get_scheduleAction() { return m_scheduleAction; }
  const std::vector<std::string>& get_scheduleAction() const { return m_scheduleAction; }

 private:
  std::string m_scheduleName;
  std::string m_schedulePeriod;
  std::vector<std::string> m_scheduleAction;
};
