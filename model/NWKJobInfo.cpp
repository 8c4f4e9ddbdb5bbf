// Host job records from save sets: one save set builds a job, later save sets
// of the same backup run fold into it.
#include "model/NWKJobInfo.h"

#include <limits>
#include <unordered_set>

#include "handler/CForeignHandlerNWK.h"
#include "handler/MessageBuild.h"
#include "hx/MessageClasses.h"

using msgbuild::Nested;

namespace {

void FillStoragePolicyEntity(CNMessageBase* entity) {
  entity->setint64(2, 5, 17);
  entity->setstring(1, 1, CForeignHandlerNWK::GetGenericStringType(CForeignHandlerNWK::GenerateDefaultSPName()));
}

// Sizes and counts saturate: reports can hold absurd figures, and a sum that
// wrapped round would show a huge backup as a negative one.
void AddToInt64(CNMessageBase* msg, short i, short t, long long amount) {
  long long sum = 0;
  if (__builtin_add_overflow(msg->getint64(t), amount, &sum))
    sum = amount < 0 ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
  msg->setint64(i, t, sum);
}

}  // namespace

const std::string* NWKJobInfo::Intern(const std::string& value) {
  static std::unordered_set<std::string> pool;  // lives as long as the plug-in is loaded
  return &*pool.insert(value).first;
}

CNMessageBase* NWKJobInfo::BuildJob(std::vector<CNMessageBase>* jobs, const NWKClientInfo* client,
                                    const NWKPolicyInfo* policy) const {
  jobs->emplace_back(FDC::JobInfo::kModule, FDC::JobInfo::kType);
  CNMessageBase* job = &jobs->back();
  std::string appName;
  HxAppType type = CForeignHandlerNWK::GetHxAppType(client, policy, appName);
  job->setint64(4, 4, type);
  std::string clientName = client->get_clientName();
  job->setstring(6, 6, clientName + "_" + policy->get_groupName() + "_" + std::to_string(m_backupTime));

  std::string zonar = CForeignHandlerNWK::GenerateZonarName();
  CNMessageBase* installation = Nested(job, 1, 1, 18, 3);
  installation->setstring(1, 1, zonar);
  installation->setint64(3, 9, 1);
  installation->setint64(4, 10, 1);

  CNMessageBase* subclient = Nested(job, 2, 2, 18, 10);
  subclient->setint64(2, 5, 7);
  std::string instance, backupSet, subclientName;
  CForeignHandlerNWK::BuildInstanceBackupsetSubclientNames(type, *policy, instance, backupSet, subclientName, "");
  subclient->setstring(14, 38, clientName);
  subclient->setstring(11, 29, appName);
  subclient->setint64(10, 28, type);
  subclient->setstring(8, 20, instance);
  subclient->setstring(5, 11, backupSet);
  subclient->setstring(19, 55, zonar);
  subclient->setstring(1, 1, subclientName);
  subclient->setint64(21, 63, 1);

  CNMessageBase* content = Nested(job, 8, 14, 32, 39);
  content->setstring(4, 4, m_contentFolder);
  content->setint64(2, 2, 1);
  content->setint64(1, 1, 4);
  content->setint64(3, 3, 1);

  CNMessageBase* summary = Nested(Nested(job, 9, 15, 32, 2), 1, 1, 32, 27);
  summary->setint64(27, 30, CForeignHandlerNWK::GetFDCBackupLevel(*m_backupLevel));
  summary->setint64(8, 8, 1);
  summary->setint64(9, 9, m_backupTime);
  summary->setint64(10, 10, 300);
  summary->setint64(1, 1, 4);
  summary->setint64(32, 35, m_backupSize);
  summary->setint64(36, 39, m_backupSize);
  summary->setint64(11, 11, 300);
  summary->setint64(34, 37, m_numberOfFiles);
  FillStoragePolicyEntity(Nested(summary, 17, 20, 18, 19));

  CNMessageBase* data = msgbuild::Append<FDC::DataInfo>(Nested(job, 10, 16, 32, 1), 1, 1);
  data->setint64(2, 2, 1);
  data->setint64(1, 1, 4);
  data->setint64(3, 3, m_backupSize);
  FillStoragePolicyEntity(Nested(data, 4, 4, 18, 19));
  job->ShrinkToFit();  // a large group keeps hundreds of thousands of these
  return job;
}

void NWKJobInfo::UpdateJob(CNMessageBase& job) const {
  CNMessageBase* content = Nested(&job, 8, 14, 32, 39);
  content->setstring(4, 4, content->getstring(4, 4) + "," + m_contentFolder);
  if (std::vector<CNMessageBase>* data = msgbuild::List(Nested(&job, 10, 16, 32, 1), 1, 1))
    if (!data->empty()) AddToInt64(&data->back(), 3, 3, m_backupSize);
  CNMessageBase* summary = Nested(Nested(&job, 9, 15, 32, 2), 1, 1, 32, 27);
  AddToInt64(summary, 32, 35, m_backupSize);
  AddToInt64(summary, 36, 39, m_backupSize);
  AddToInt64(summary, 34, 37, m_numberOfFiles);
}
