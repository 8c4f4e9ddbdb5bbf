// Host job records from save sets: one save set builds a job, later save sets
// of the same backup run fold into it.
#include "model/NWKJobInfo.h"

#include <charconv>
#include <limits>
#include <deque>
#include <string_view>
#include <unordered_map>

#include "model/HostMapping.h"
#include "model/NWKClientInfo.h"
#include "model/ServerFacts.h"
#include "model/MessageBuild.h"
#include "fields/JobFields.h"
#include "hx/MessageClasses.h"

using namespace msgbuild;  // NOLINT: the builders' vocabulary

namespace {

using namespace jobfields;  // NOLINT: this file builds job records only

void FillStoragePolicyEntity(CNMessageBase* entity) {
  Set(entity, kPolicyEntityType, 17);
  Set(entity, kPolicyName, ServerFacts::Current().DefaultPolicyName());
}

// Sizes and counts saturate: reports can hold absurd figures, and a sum that
// wrapped round would show a huge backup as a negative one.
void AddToInt64(CNMessageBase* msg, Field f, long long amount) {
  long long sum = 0;
  if (__builtin_add_overflow(GetInt(*msg, f), amount, &sum))
    sum = amount < 0 ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
  Set(msg, f, sum);
}

CNMessageBase* Summary(CNMessageBase* job) {
  return Nested(Nested(job, kStatistics, kJobModule, kStatisticsType), kSummary, kJobModule, kSummaryType);
}

CNMessageBase* Content(CNMessageBase* job) { return Nested(job, kContent, kJobModule, kContentType); }

CNMessageBase* DataHolder(CNMessageBase* job) { return Nested(job, kData, kJobModule, kDataType); }

}  // namespace

const std::string* NWKJobInfo::Intern(std::string_view value) {
  // Lives as long as the plug-in is loaded. Each text stays in place in the
  // deque, so the map keys it by a view and a lookup copies nothing.
  static std::deque<std::string> texts;
  static std::unordered_map<std::string_view, const std::string*> known;
  // Rows repeat the names of the row before (the group always, the client,
  // level and volume often): a small table of the texts seen last, placed by
  // length and end characters, answers most lookups without hashing.
  static const std::string* recent[64] = {};
  const std::string*& slot =
      recent[(value.size() * 31 + (value.empty() ? 0 : value.front() * 7 + value.back())) & 63];
  if (slot && *slot == value) return slot;
  auto found = known.find(value);
  if (found == known.end()) {
    const std::string& text = texts.emplace_back(value);
    found = known.emplace(text, &text).first;
  }
  return slot = found->second;
}

const std::string* NWKJobInfo::Empty() {
  static const std::string* empty = Intern({});
  return empty;
}

CNMessageBase NWKJobInfo::JobTemplate(const NWKClientInfo* client, const NWKPolicyInfo* policy) {
  CNMessageBase job(FDC::JobInfo::kModule, FDC::JobInfo::kType);
  std::string appName;
  HxAppType type = hostmap::GetHxAppType(client, policy, appName);
  Set(&job, kAppType, type);
  const std::string& clientName = client->get_clientName();
  Set(&job, kKey, clientName + "_" + policy->get_groupName() + "_");

  std::string zonar = ServerFacts::Current().ZonarName();
  CNMessageBase* installation = Nested(&job, kInstallation, kEntityModule, kInstallationType);
  Set(installation, kInstallationName, zonar);
  Set(installation, kInstallationFlagA, 1);
  Set(installation, kInstallationFlagB, 1);

  CNMessageBase* subclient = Nested(&job, kSubclient, kEntityModule, kSubclientType);
  Set(subclient, kSubclientEntityType, 7);
  std::string instance, backupSet, subclientName;
  hostmap::BuildInstanceBackupsetSubclientNames(type, *policy, instance, backupSet, subclientName, "");
  Set(subclient, kSubclientClient, clientName);
  Set(subclient, kSubclientAppName, appName);
  Set(subclient, kSubclientAppType, type);
  Set(subclient, kSubclientInstance, instance);
  Set(subclient, kSubclientBackupSet, backupSet);
  Set(subclient, kSubclientZonar, zonar);
  Set(subclient, kSubclientName, subclientName);
  Set(subclient, kSubclientFlag, 1);

  CNMessageBase* content = Content(&job);
  Set(content, kContentPaths, "");
  Set(content, kContentA, 1);
  Set(content, kContentB, 4);
  Set(content, kContentC, 1);

  CNMessageBase* summary = Summary(&job);
  Set(summary, kSummaryLevel, 0);
  Set(summary, kSummaryCount, 1);
  Set(summary, kSummaryStartTime, 0);
  Set(summary, kSummaryFixedA, kSummaryFixedValue);
  Set(summary, kSummaryKind, 4);
  Set(summary, kSummaryBytes, 0);
  Set(summary, kSummaryBytesAgain, 0);
  Set(summary, kSummaryFixedB, kSummaryFixedValue);
  Set(summary, kSummaryFiles, 0);
  FillStoragePolicyEntity(Nested(summary, kSummaryPolicy, kEntityModule, kPolicyEntityClass));

  CNMessageBase* data = Append<FDC::DataInfo>(DataHolder(&job), kDataList);
  Set(data, kDataCount, 1);
  Set(data, kDataKind, 4);
  Set(data, kDataBytes, 0);
  FillStoragePolicyEntity(Nested(data, kDataPolicy, kEntityModule, kPolicyEntityClass));
  return job;
}

CNMessageBase* NWKJobInfo::BuildJob(std::vector<CNMessageBase>* jobs, const NWKClientInfo* client,
                                    const NWKPolicyInfo* policy) const {
  return BuildJob(jobs, JobTemplate(client, policy));
}

// Only the save set's own fields change: each is set in place, so the fields
// keep the order the template gave them.
CNMessageBase* NWKJobInfo::BuildJob(std::vector<CNMessageBase>* jobs, const CNMessageBase& jobTemplate) const {
  CNMessageBase* job = &jobs->emplace_back(jobTemplate);
  char time[24];
  std::string key = GetString(jobTemplate, kKey);
  key.append(time, std::to_chars(time, time + sizeof time, m_backupTime).ptr);
  Set(job, kKey, key);
  Set(Content(job), kContentPaths, m_contentFolder);
  CNMessageBase* summary = Summary(job);
  Set(summary, kSummaryLevel, hostmap::GetFDCBackupLevel(*m_backupLevel));
  Set(summary, kSummaryStartTime, m_backupTime);
  Set(summary, kSummaryBytes, m_backupSize);
  Set(summary, kSummaryBytesAgain, m_backupSize);
  Set(summary, kSummaryFiles, m_numberOfFiles);
  Set(&List(DataHolder(job), kDataList)->front(), kDataBytes, m_backupSize);
  return job;
}

const CNMessageBase& JobTemplates::For(const NWKClientInfo* client, const NWKPolicyInfo* policy) {
  auto [at, added] = m_templates.try_emplace({client, policy}, 0, 0);
  if (added) {
    at->second = NWKJobInfo::JobTemplate(client, policy);
    at->second.Share();  // each job copies the template and changes only its own parts
  }
  return at->second;
}

void NWKJobInfo::UpdateJob(CNMessageBase& job) const {
  CNMessageBase* content = Content(&job);
  Set(content, kContentPaths, GetString(*content, kContentPaths) + "," + m_contentFolder);
  if (std::vector<CNMessageBase>* data = List(DataHolder(&job), kDataList))
    if (!data->empty()) AddToInt64(&data->back(), kDataBytes, m_backupSize);
  CNMessageBase* summary = Summary(&job);
  AddToInt64(summary, kSummaryBytes, m_backupSize);
  AddToInt64(summary, kSummaryBytesAgain, m_backupSize);
  AddToInt64(summary, kSummaryFiles, m_numberOfFiles);
}
