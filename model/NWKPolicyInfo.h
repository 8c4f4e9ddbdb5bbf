// One NetWorker client resource in one group (or a client's default "Manual"
// resource): the unit that becomes a subclient, a schedule association and the
// owner of jobs.
#pragma once

#include <string>
#include <vector>

#include "hx/Strings.h"
#include "model/NWKDirectiveInfo.h"

class NWKClientInfo;
class NWKGroupInfo;
class NWKScheduleInfo;
class ScheduleTaskList;
namespace TMMsg {
class CreateTaskReq;
class SubTaskInfo;
}  // namespace TMMsg

class NWKPolicyInfo {
 public:
  const std::string& get_policyName() const { return m_policyName; }
  void set_policyName(const std::string& value) { m_policyName = value; }
  std::string get_associatedScheduleName() const { return m_associatedScheduleName; }
  void set_associatedScheduleName(const std::string& value) { m_associatedScheduleName = value; }
  std::string get_appName() const { return m_appName; }
  void set_appName(const std::string& value) { m_appName = value; }
  const std::string& get_groupName() const { return m_groupName; }
  void set_groupName(const std::string& value) { m_groupName = value; }
  std::vector<std::string>& get_backuplist() { return m_backupList; }
  const std::vector<std::string>& get_const_backuplistref() const { return m_backupList; }
  void set_licensedApps(const std::string& text) { hx::SplitLine(text, m_licensedApps, ','); }
  const std::vector<std::string>& get_licensedApps() const { return m_licensedApps; }
  bool get_encryption() const { return m_encryption; }
  void set_encryption(bool value) { m_encryption = value; }
  bool get_compression() const { return m_compression; }
  void set_compression(bool value) { m_compression = value; }
  std::string get_directiveName() const { return m_directiveName; }
  void set_directiveName(const std::string& value) { m_directiveName = value; }
  std::string get_backupCommand() const { return m_backupCommand; }
  void set_backupCommand(const std::string& value) { m_backupCommand = value; }

  void _SetEncryptionAndCompression(const NWKDirectiveInfo& directive) {
    m_encryption = directive.get_encryption();
    m_compression = directive.get_compression();
  }

  // Schedule policies for this resource: one task per (schedule, group) pair,
  // shared by every resource of that pair through `tasks`.
  int BuildSchedule(ScheduleTaskList& tasks, NWKClientInfo& client, NWKScheduleInfo& schedule, NWKGroupInfo& group);
  void CreateTaskInfo(TMMsg::CreateTaskReq* task, NWKClientInfo& client, NWKScheduleInfo& schedule,
                      NWKGroupInfo& group, const std::string& level, int week, int day, unsigned int startTime);
  void _SetDaysToRun(TMMsg::CreateTaskReq& task, const std::string& subtaskName, int week, int day);
  void CreateWeeklySubTask(TMMsg::SubTaskInfo& subtask, const std::string& name);
  void CreateMonthlySubTask(TMMsg::SubTaskInfo& subtask, const std::string& name);
  void AddScheduleAssociation(TMMsg::CreateTaskReq& task, NWKClientInfo& client);

 private:
  std::string m_policyName;
  std::string m_associatedScheduleName;
  std::string m_appName;
  std::string m_groupName;
  std::vector<std::string> m_backupList;
  std::vector<std::string> m_licensedApps;
  bool m_encryption = false;
  bool m_compression = false;
  std::string m_directiveName;
  std::string m_backupCommand;
};
