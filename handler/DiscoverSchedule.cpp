// Schedule discovery: schedules are fetched into the handler's map, every
// client resource of a group becomes part of a schedule policy (one per
// schedule and group), and each policy is handed to the host and written as XML.
#include "fetchers/CNWKScheduleInfoFetcher.h"
#include "fields/RunRecords.h"
#include "fields/ScheduleFields.h"
#include "handler/CForeignHandlerNWK.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "model/MessageBuild.h"
#include "model/ScheduleTaskList.h"

namespace {

const char* kFunc = "DiscoverSchedule";

// The policy's task name, read without adding fields to the policy.
std::string TaskNameOf(CNMessageBase& policy) {
  using namespace schedulefields;  // NOLINT: the schedule policy's vocabulary
  CNMessageBase* body = msgbuild::Existing(&policy, kBody, kModule, kBodyType);
  CNMessageBase* definition = msgbuild::Existing(body, kDefinition, kModule, kDefinitionType);
  return definition ? msgbuild::GetString(*definition, kTaskName) : std::string();
}

}  // namespace

// Relies on client discovery having filled m_clients and m_groups on this handler.
int CForeignHandlerNWK::DiscoverSchedule(CNMessageBase*) {
  ScopedLineReporter reporting(&m_records);
  CNWKScheduleInfoFetcher schedules;
  if (!schedules.FetchData(&m_schedules)) {
    EvEvent().Error(kFunc, "Fetching schedule information failed");
    return 0;
  }
  ScheduleTaskList policies;
  for (auto& [key, client] : m_clients) BuildClientSchedules(policies, key, client);
  return HandOverPolicies(policies) ? 1 : 0;
}

void CForeignHandlerNWK::BuildClientSchedules(ScheduleTaskList& policies, const std::string& clientKey,
                                              NWKClientInfo& client) {
  EvEvent log;
  log.Debug(kFunc, "Building schedule pattern for policies belonging to client [%s]", clientKey.c_str());
  for (NWKPolicyInfo& resource : client.get_policyList()) {
    log.Debug(kFunc, "Building schedule pattern[%s] for policy [%s] client [%s]",
              resource.get_associatedScheduleName().c_str(), resource.get_policyName().c_str(), clientKey.c_str());
    // A client's default resource has no group and nothing to schedule.
    if (resource.get_groupName().empty()) continue;
    BuildResourceSchedule(policies, clientKey, client, resource);
  }
}

// The group's schedule, when it names one, governs all its members in place of
// their own. A group or schedule the server did not report leaves the resource
// out; the maps are only searched, never added to.
void CForeignHandlerNWK::BuildResourceSchedule(ScheduleTaskList& policies,
                                               const std::string& clientKey, NWKClientInfo& client,
                                               NWKPolicyInfo& resource) {
  EvEvent log;
  std::string policyName = resource.get_policyName();
  auto group = m_groups.find(resource.get_groupName());
  if (group == m_groups.end()) {
    log.Debug(kFunc, "Passing over policy [%s] client [%s]: group [%s] is not known", policyName.c_str(),
              clientKey.c_str(), resource.get_groupName().c_str());
    m_records.Add({records::kSkippedResource, clientKey, policyName,
                   "group [" + resource.get_groupName() + "] is not known"});
    return;
  }
  std::string chosen = group->second.get_overridenScheduleName();
  if (chosen.empty()) chosen = resource.get_associatedScheduleName();
  if (chosen.empty()) {
    log.Debug(kFunc, "Skipping schedule creation for policy [%s]", policyName.c_str());
    m_records.Add({records::kSkippedResource, clientKey, policyName,
                   "neither the resource nor its group names a schedule"});
    return;
  }
  auto schedule = m_schedules.find(chosen);
  if (schedule == m_schedules.end()) {
    log.Debug(kFunc, "Passing over policy [%s] client [%s]: schedule [%s] is not known", policyName.c_str(),
              clientKey.c_str(), chosen.c_str());
    m_records.Add({records::kSkippedResource, clientKey, policyName, "schedule [" + chosen + "] is not known"});
    return;
  }
  m_records.Add({records::kResourceSchedule, client.get_clientName(), policyName, schedule->second.get_scheduleName()});
  resource.BuildSchedule(policies, client, schedule->second, group->second);
  log.Debug(kFunc, "Built schedule pattern[%s] for policy [%s] client [%s]",
            resource.get_associatedScheduleName().c_str(), policyName.c_str(), clientKey.c_str());
}

// Neither the host's answer nor a failed write stops the others: every policy
// is offered. False when a policy could not be written (the operation then
// fails rather than report a policy the host will never see).
bool CForeignHandlerNWK::HandOverPolicies(ScheduleTaskList& policies) {
  bool written = true;
  for (TMMsg::CreateTaskReq& policy : policies.tasks()) {
    bool flag = false;
    processItemIdb(GetStringValue(TaskNameOf(policy)), &policy, flag);
    written = DumpXmlMsgToFile(&policy, 0, false) && written;
  }
  return written;
}
