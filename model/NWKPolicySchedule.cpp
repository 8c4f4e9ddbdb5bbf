// Turning one client resource's group and schedule into the host's schedule
// policies: a task per (schedule, group) pair, a subtask per pattern, and an
// association that ties the resource's subclient to the task.
#include <algorithm>

#include "model/HostMapping.h"
#include "model/NWKClientInfo.h"
#include "model/NWKGroupInfo.h"
#include "model/NWKScheduleInfo.h"
#include "model/ServerFacts.h"
#include "model/MessageBuild.h"
#include "text/TextUtils.h"
#include "fields/ScheduleFields.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "hx/Strings.h"
#include "model/NWKPolicyInfo.h"
#include "model/ScheduleTaskList.h"

using namespace msgbuild;  // NOLINT: the builders' vocabulary

namespace {

constexpr unsigned int kSecondsPerDay = 86400;
constexpr int kLastDayOfMonth = 31;
using namespace schedulefields;  // NOLINT: this file builds schedule policies only
constexpr long long kWeeklyPattern = kWeekly;
constexpr long long kMonthlyPattern = kMonthly;

// Lookups below never create what they look for: a task or subtask that is
// not there yet must not gain empty fields just by being searched for.
CNMessageBase* ExistingBody(CNMessageBase* task) { return Existing(task, kBody, kModule, kBodyType); }

// A task's subtasks are bounded by its levels, start times and days, never by
// the number of resources associated with it.
CNMessageBase* FindSubtask(CNMessageBase* body, const std::string& name) {
  std::vector<CNMessageBase>* subtasks = body ? List(body, kSubtasks) : nullptr;
  if (!subtasks) return nullptr;
  for (CNMessageBase& subtask : *subtasks) {
    CNMessageBase* header = Existing(&subtask, kSubtaskHeader, kModule, kHeaderType);
    if (header && GetString(*header, kSubtaskName) == name) return &subtask;
  }
  return nullptr;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void FillTaskDefinition(CNMessageBase* definition, const std::string& taskName) {
  Set(definition, kDefinitionA, 0);
  Set(definition, kDefinitionB, 4);
  Set(definition, kTaskName, taskName);
  Set(definition, kDefinitionC, 0);
  Set(definition, kDefinitionD, 0);
  Set(definition, kDefinitionE, 0);
  Set(definition, kDefinitionF, 5);
  Set(definition, kDefinitionG, 0);
  CNMessageBase* options = Nested(definition, kDefinitionOptions, kModule, kDefinitionOptionsType);
  Set(options, kDefinitionOptionA, 0);
  Set(options, kDefinitionOptionB, 0);
}

void FillSubtaskOptions(CNMessageBase& subtask, const std::string& level) {
  CNMessageBase* options = Nested(&subtask, kSubtaskOptions, kModule, kOptionsType);
  CNMessageBase* backup = Nested(options, kBackupOptions, kModule, kBackupType);
  Set(backup, kBackupLevel, hostmap::GetKelvraBackupLevel(level));
  Set(backup, kBackupFlag, 0);
  Nested(options, kOptionsExtra, kModule, kOptionsExtraType);
}

void FillPatternCommon(CNMessageBase& subtask, const NWKGroupInfo& group, unsigned int startTime) {
  subtask.setObjectAccessor(nullptr, kPattern.i, kPattern.t);
  CNMessageBase* pattern = Nested(&subtask, kPattern, kModule, kPatternType);
  Set(pattern, kPatternA, 0);
  Set(pattern, kPatternB, 1);
  Set(Nested(pattern, kPatternEntity, kEntityModule, kPatternEntityType), kEntityValue, 1);
  Set(Nested(pattern, kPatternTimeZone, kEntityModule, kTimeZoneType), kTimeZoneName, Narrow(GetTimeZoneStdNameW()));
  if (!group.get_startTime().empty()) Set(pattern, kPatternStart, startTime);
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
    std::string subtaskName = hostmap::GenerateScheduleName(schedule, group, week, day, level, start);
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
  std::string taskName = hostmap::GenerateTaskName(schedule.get_scheduleName(), m_groupName);
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
  CNMessageBase* body = Nested(task, kBody, kModule, kBodyType);
  std::string name = hostmap::GenerateScheduleName(schedule, group, week, day, level, startTime);
  if (FindSubtask(body, name)) return;
  Nested(body, kBodyExtra, kModule, kBodyExtraType);
  FillTaskDefinition(Nested(body, kDefinition, kModule, kDefinitionType),
                     hostmap::GenerateTaskName(schedule.get_scheduleName(), m_groupName));
  TMMsg::SubTaskInfo subtask;
  CNMessageBase* header = Nested(&subtask, kSubtaskHeader, kModule, kHeaderType);
  Set(header, kSubtaskHeaderA, 2);
  Set(header, kSubtaskHeaderB, 2);
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
  body->getlistobject(kSubtasks.i, kSubtasks.t, 0, 0, true)->push_back(subtask);
}

void NWKPolicyInfo::CreateWeeklySubTask(TMMsg::SubTaskInfo& subtask, const std::string& name) {
  Set(Nested(&subtask, kSubtaskHeader, kModule, kHeaderType), kSubtaskName, name);
  CNMessageBase* pattern = Nested(&subtask, kPattern, kModule, kPatternType);
  pattern->setObjectAccessor(nullptr, kPatternDays.i, kPatternDays.t);
  Set(pattern, kPatternKind, kWeeklyPattern);
  Set(pattern, kPatternC, 1);
  Set(pattern, kPatternD, 0);
  Set(pattern, kPatternE, 0);
  Set(pattern, kPatternB, 1);
}

void NWKPolicyInfo::CreateMonthlySubTask(TMMsg::SubTaskInfo& subtask, const std::string& name) {
  Set(Nested(&subtask, kSubtaskHeader, kModule, kHeaderType), kSubtaskName, name);
  CNMessageBase* pattern = Nested(&subtask, kPattern, kModule, kPatternType);
  Set(pattern, kPatternKind, kMonthlyPattern);
  Set(pattern, kPatternD, 0);
  Set(pattern, kPatternE, 0);
  Set(pattern, kPatternB, 1);
}

void NWKPolicyInfo::_SetDaysToRun(TMMsg::CreateTaskReq& task, const std::string& subtaskName, int week, int day) {
  int dayOfMonth = (week - 1) * 7 + day;
  if (dayOfMonth > kLastDayOfMonth) return;
  CNMessageBase* subtask = FindSubtask(ExistingBody(&task), subtaskName);
  if (!subtask) return;
  CNMessageBase* pattern = Nested(subtask, kPattern, kModule, kPatternType);
  CNMessageBase* days = Nested(pattern, kPatternDays, kModule, kDaysType);
  if (week >= 1 && week <= 5) Set(days, kWeek, week);
  long long kind = GetInt(*pattern, kPatternKind);
  if (kind == kWeeklyPattern) {
    if (day >= 1 && day <= 7) Set(days, Weekday(static_cast<short>(day)), 1);
  } else if (kind == kMonthlyPattern) {
    Set(pattern, kPatternF, 0);
    Set(pattern, kPatternG, 0);
    Set(pattern, kPatternC, 1);
    Set(days, kDayOfMonth, dayOfMonth);
  }
}

void NWKPolicyInfo::AddScheduleAssociation(TMMsg::CreateTaskReq& task, NWKClientInfo& client) {
  std::string appName, instance, backupSet, subclient;
  HxAppType type = hostmap::GetHxAppType(&client, this, appName);
  hostmap::BuildInstanceBackupsetSubclientNames(type, *this, instance, backupSet, subclient, "");
  HxEntities::GenericEntity entity;
  Set(&entity, kAssociationClient, client.get_clientName());
  Set(&entity, kAssociationClientAgain, client.get_clientName());
  Set(&entity, kAssociationAppName, appName);
  Set(&entity, kAssociationAppType, type);
  Set(&entity, kAssociationInstallation, ServerFacts::Current().ZonarName());
  Set(&entity, kAssociationInstance, instance);
  Set(&entity, kAssociationBackupSet, backupSet);
  Set(&entity, kAssociationSubclient, subclient);
  Nested(&task, kBody, kModule, kBodyType)->getlistobject(kAssociations.i, kAssociations.t, 0, 0, true)->push_back(
      std::move(entity));
}
