// Turning one client resource's group and schedule into the host's schedule
// policies: a task per (schedule, group) pair, a subtask per pattern, and an
// association that ties the resource's subclient to the task.
#include <algorithm>

#include "handler/CForeignHandlerNWK.h"
#include "handler/MessageBuild.h"
#include "handler/TextUtils.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "hx/Strings.h"
#include "model/NWKPolicyInfo.h"
#include "model/ScheduleTaskList.h"

using msgbuild::Nested;

namespace {

constexpr unsigned int kSecondsPerDay = 86400;
constexpr int kLastDayOfMonth = 31;
constexpr long long kWeeklyPattern = 8;
constexpr long long kMonthlyPattern = 16;

// Lookups below never create what they look for: a task or subtask that is
// not there yet must not gain empty fields just by being searched for.
CNMessageBase* Existing(CNMessageBase* msg, short i, short t, int module, int type) {
  return msg ? msg->getObjectAccessor(true, false, i, t, 0, 0, module, type) : nullptr;
}

CNMessageBase* ExistingBody(CNMessageBase* task) { return Existing(task, 2, 2, 12, 40); }

// A task's subtasks are bounded by its levels, start times and days, never by
// the number of resources associated with it.
CNMessageBase* FindSubtask(CNMessageBase* body, const std::string& name) {
  std::vector<CNMessageBase>* subtasks = body ? msgbuild::List(body, 5, 5) : nullptr;
  if (!subtasks) return nullptr;
  for (CNMessageBase& subtask : *subtasks) {
    CNMessageBase* header = Existing(&subtask, 1, 1, 12, 10);
    if (header && header->getstring(1, 1) == name) return &subtask;
  }
  return nullptr;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void FillTaskDefinition(CNMessageBase* definition, const std::string& taskName) {
  definition->setint64(1, 1, 0);
  definition->setint64(5, 8, 4);
  definition->setstring(2, 2, taskName);
  definition->setint64(4, 7, 0);
  definition->setint64(10, 13, 0);
  definition->setint64(6, 9, 0);
  definition->setint64(9, 12, 5);
  definition->setint64(16, 28, 0);
  CNMessageBase* options = Nested(definition, 3, 6, 12, 265);
  options->setint64(1, 1, 0);
  options->setint64(5, 5, 0);
}

void FillSubtaskOptions(CNMessageBase& subtask, const std::string& level) {
  CNMessageBase* options = Nested(&subtask, 4, 4, 12, 262);
  CNMessageBase* backup = Nested(options, 1, 1, 12, 111);
  backup->setint64(1, 1, CForeignHandlerNWK::GetKelvraBackupLevel(level));
  backup->setint64(18, 18, 0);
  Nested(options, 4, 4, 12, 17);
}

void FillPatternCommon(CNMessageBase& subtask, const NWKGroupInfo& group, unsigned int startTime) {
  subtask.setObjectAccessor(nullptr, 3, 3);
  CNMessageBase* pattern = Nested(&subtask, 3, 3, 12, 78);
  pattern->setint64(1, 1, 0);
  pattern->setint64(22, 25, 1);
  Nested(pattern, 23, 26, 18, 51)->setint64(0, 0, 1);
  Nested(pattern, 21, 24, 18, 45)->setstring(1, 1, Narrow(GetTimeZoneStdNameW()));
  if (!group.get_startTime().empty()) pattern->setint64(14, 17, startTime);
}

// What one BuildSchedule call shares between its days: the resource, its
// task name (the same for every day, since it names schedule and group) and
// the task itself, found or made at the first run.
struct ScheduleWalk {
  NWKPolicyInfo& policy;
  ScheduleTaskList& tasks;
  NWKClientInfo& client;
  NWKScheduleInfo& schedule;
  NWKGroupInfo& group;
  std::string taskName;
  TMMsg::CreateTaskReq* task = nullptr;  // points into `tasks`, which this call appends to only once

  // Every start time of one day: from the group's start time to the end of
  // the day inclusive, stepping by the group's interval.
  void RunDay(const std::string& level, int week, int day) {
    unsigned int interval = group.get_backupInterval();
    // t is wide enough that stepping past the end of the day cannot wrap.
    for (unsigned long long t = StrToUnixTime(group.get_startTime()); t <= kSecondsPerDay; t += interval) {
      Run(level, week, day, static_cast<unsigned int>(t));
      if (interval == 0) break;  // a group printed without an interval runs once a day
    }
  }

  void Run(const std::string& level, int week, int day, unsigned int start) {
    std::string subtaskName = CForeignHandlerNWK::GenerateScheduleName(schedule, group, week, day, level, start);
    bool first = task == nullptr;
    if (first) task = &tasks.FindOrAdd(taskName);
    policy.CreateTaskInfo(task, client, schedule, group, level, week, day, start);
    if (first) policy.AddScheduleAssociation(*task, client);
    policy._SetDaysToRun(*task, subtaskName, week, day);
  }
};

}  // namespace

int NWKPolicyInfo::BuildSchedule(ScheduleTaskList& tasks, NWKClientInfo& client, NWKScheduleInfo& schedule,
                                 NWKGroupInfo& group) {
  EvEvent().Debug("BuildSchedule", "Building schedule [%s] for policy [%s], client [%s]",
                  schedule.get_scheduleName().c_str(), m_policyName.c_str(), client.get_clientName().c_str());
  std::string taskName = CForeignHandlerNWK::GenerateTaskName(schedule.get_scheduleName(), m_groupName);
  ScheduleWalk walk{*this, tasks, client, schedule, group, taskName};
  int n = 0;  // day counter, running on across action strings
  for (const std::string& action : schedule.get_scheduleAction()) {
    std::vector<std::string> pieces;
    hx::SplitLine(action, pieces, ' ');
    for (const std::string& piece : pieces) {
      std::string level = ::Trim(piece, " *\";");
      if (level.empty()) continue;
      ++n;
      int week = (n - 1) / 7 + 1;
      int day = n - 7 * (week - 1);
      if (level == "skip") continue;
      if (n > kLastDayOfMonth) break;
      walk.RunDay(level, week, day);
    }
  }
  return 1;
}

void NWKPolicyInfo::CreateTaskInfo(TMMsg::CreateTaskReq* task, NWKClientInfo& /*client*/, NWKScheduleInfo& schedule,
                                   NWKGroupInfo& group, const std::string& level, int week, int day,
                                   unsigned int startTime) {
  CNMessageBase* body = Nested(task, 2, 2, 12, 40);
  std::string name = CForeignHandlerNWK::GenerateScheduleName(schedule, group, week, day, level, startTime);
  if (FindSubtask(body, name)) return;
  Nested(body, 2, 2, 12, 309);
  FillTaskDefinition(Nested(body, 1, 1, 12, 367),
                     CForeignHandlerNWK::GenerateTaskName(schedule.get_scheduleName(), m_groupName));
  TMMsg::SubTaskInfo subtask;
  CNMessageBase* header = Nested(&subtask, 1, 1, 12, 10);
  header->setint64(3, 6, 2);
  header->setint64(4, 7, 2);
  FillSubtaskOptions(subtask, level);
  FillPatternCommon(subtask, group, startTime);
  std::string period = schedule.get_schedulePeriod();
  if (compareNoCase(period, "Week") == 0) {
    CreateWeeklySubTask(subtask, name);
  } else if (compareNoCase(period, "Month") == 0) {
    CreateMonthlySubTask(subtask, name);
  } else {
    return;  // any other period: the task is described but gets no pattern
  }
  body->getlistobject(5, 5, 0, 0, true)->push_back(subtask);
}

void NWKPolicyInfo::CreateWeeklySubTask(TMMsg::SubTaskInfo& subtask, const std::string& name) {
  Nested(&subtask, 1, 1, 12, 10)->setstring(1, 1, name);
  CNMessageBase* pattern = Nested(&subtask, 3, 3, 12, 78);
  pattern->setObjectAccessor(nullptr, 5, 8);
  pattern->setint64(4, 7, kWeeklyPattern);
  pattern->setint64(8, 11, 1);
  pattern->setint64(11, 14, 0);
  pattern->setint64(10, 13, 0);
  pattern->setint64(22, 25, 1);
}

void NWKPolicyInfo::CreateMonthlySubTask(TMMsg::SubTaskInfo& subtask, const std::string& name) {
  Nested(&subtask, 1, 1, 12, 10)->setstring(1, 1, name);
  CNMessageBase* pattern = Nested(&subtask, 3, 3, 12, 78);
  pattern->setint64(4, 7, kMonthlyPattern);
  pattern->setint64(11, 14, 0);
  pattern->setint64(10, 13, 0);
  pattern->setint64(22, 25, 1);
}

void NWKPolicyInfo::_SetDaysToRun(TMMsg::CreateTaskReq& task, const std::string& subtaskName, int week, int day) {
  int dayOfMonth = (week - 1) * 7 + day;
  if (dayOfMonth > kLastDayOfMonth) return;
  CNMessageBase* subtask = FindSubtask(ExistingBody(&task), subtaskName);
  if (!subtask) return;
  CNMessageBase* pattern = Nested(subtask, 3, 3, 12, 78);
  CNMessageBase* days = Nested(pattern, 5, 8, 12, 248);
  if (week >= 1 && week <= 5) days->setint64(9, 9, week);
  long long kind = pattern->getint64(7);
  if (kind == kWeeklyPattern) {
    if (day >= 1 && day <= 7) days->setint64(static_cast<short>(day), static_cast<short>(day), 1);
  } else if (kind == kMonthlyPattern) {
    pattern->setint64(6, 9, 0);
    pattern->setint64(7, 10, 0);
    pattern->setint64(8, 11, 1);
    days->setint64(8, 8, dayOfMonth);
  }
}

void NWKPolicyInfo::AddScheduleAssociation(TMMsg::CreateTaskReq& task, NWKClientInfo& client) {
  std::string appName, instance, backupSet, subclient;
  HxAppType type = CForeignHandlerNWK::GetHxAppType(&client, this, appName);
  CForeignHandlerNWK::BuildInstanceBackupsetSubclientNames(type, *this, instance, backupSet, subclient, "");
  HxEntities::GenericEntity entity;
  entity.setstring(19, 52, client.get_clientName());
  entity.setstring(18, 48, client.get_clientName());
  entity.setstring(15, 39, appName);
  entity.setint64(14, 38, type);
  entity.setstring(2, 2, CForeignHandlerNWK::GenerateZonarName());
  entity.setstring(12, 30, instance);
  entity.setstring(9, 21, backupSet);
  entity.setstring(6, 12, subclient);
  Nested(&task, 2, 2, 12, 40)->getlistobject(3, 3, 0, 0, true)->push_back(std::move(entity));
}
