// Names of schedule policies: one task per (schedule, group) pair and one
// subtask per level and start time (and, for monthly schedules, per day).
#include "model/HostMapping.h"
#include "model/NWKGroupInfo.h"
#include "model/NWKScheduleInfo.h"
#include "text/TextUtils.h"

// The period test is exact on purpose: only "Month" adds the week and day, so
// a schedule whose period is spelled otherwise shares one name across its days.
std::string hostmap::GenerateScheduleName(const NWKScheduleInfo& schedule, const NWKGroupInfo& group, int week,
                                          int day, const std::string& level, unsigned int startTime) {
  std::string name = schedule.get_scheduleName() + "_" + group.get_groupName() + "_" + GetKelvraBackupLevelName(level) +
                     "_" + UnixTimeToStr(startTime);
  if (schedule.get_schedulePeriod() == "Month") name += "_Week" + std::to_string(week) + "_Day" + std::to_string(day);
  return name;
}

std::string hostmap::GenerateTaskName(const std::string& first, const std::string& second) {
  return first + "_" + second;
}

unsigned int hostmap::GetScheduleStartTime(const std::string& time) { return StrToUnixTime(time); }
