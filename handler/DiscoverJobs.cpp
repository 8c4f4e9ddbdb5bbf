// Job discovery: the manual save sets, then each group's, matched to their
// client and resource and merged into one host job per backup run; per
// volume, the keys of the jobs it holds.
#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "fetchers/CNWKJobInfoFetcher.h"
#include "fields/JobFields.h"
#include "fields/RunRecords.h"
#include "handler/CForeignHandlerNWK.h"
#include "handler/JobMergeIndex.h"
#include "model/MessageBuild.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "hx/Progress.h"
#include "hx/Settings.h"

namespace {

const char* kFunc = "CForeignHandlerNWK::DiscoverJobs";
constexpr long long kDefaultWindow = 3600;
constexpr size_t kProgressEvery = 50000;

std::vector<CNMessageBase>* NewJobList(FDC::JobList* list) {
  msgbuild::Set(list, jobfields::kListKind, 7);
  msgbuild::Set(list, jobfields::kListStatus, 0);
  return list->getlistobject(jobfields::kListJobs.i, jobfields::kListJobs.t, 0, 0, true);
}

// The jobs of a list made by NewJobList; null for a list never started (a
// group whose save sets could not be read).
std::vector<CNMessageBase>* JobsOf(FDC::JobList& list) {
  return list.getlistobject(jobfields::kListJobs.i, jobfields::kListJobs.t, 0, 0, false);
}

// The subclient and client names of a job, as job matching compares them;
// read only, so the part the job shares with its template stays shared.
const CNMessageBase* SubclientEntity(const CNMessageBase& job) { return job.findObject(jobfields::kSubclient.i); }

std::string JobKey(const CNMessageBase& job) { return msgbuild::GetString(job, jobfields::kKey); }

// The client and resource found for each distinct client, group and save set
// name of one fetched report: a group's history names the same few thousand
// save sets day after day, so each is matched once. The keys view the
// report's records, so a memo lives no longer than they do.
class ResourceMemo {
 public:
  using Found = std::pair<NWKPolicyInfo*, NWKClientInfo*>;
  template <class Match>
  Found Get(const NWKJobInfo& record, Match match) {
    auto [at, added] = m_found.try_emplace(Key{&record.get_clientName(), &record.get_groupName(),
                                                 record.get_contentFolder()});
    if (added) match(record, at->second.first, at->second.second);
    return at->second;
  }

 private:
  struct Key {
    const std::string* client;  // names are kept once each (NWKJobInfo), so addresses stand for them
    const std::string* group;
    std::string_view content;
    bool operator==(const Key& other) const {
      return client == other.client && group == other.group && content == other.content;
    }
  };
  struct Hash {
    size_t operator()(const Key& key) const {
      size_t h = std::hash<std::string_view>()(key.content);
      h ^= std::hash<const void*>()(key.client) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
      return h ^ (std::hash<const void*>()(key.group) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
    }
  };
  std::unordered_map<Key, Found, Hash> m_found;
};

void ReportGroupProgress(const std::string& group, size_t read, size_t built, bool final) {
  hx::ReportProgress("group [" + group + "]: " + std::to_string(read) + " save sets read, " + std::to_string(built) +
                         " jobs built",
                     final);
}

}  // namespace

long long CForeignHandlerNWK::JobAggregationWindow() const {
  HxPlatformInfo settings;
  settings.setFocus(HxPI_Focus::getFocus());
  unsigned long value = 0;
  settings.getNumber("Pluvex", "nTARNJobAggregationInterval", &value);
  return value == 0 ? kDefaultWindow : static_cast<long long>(value);
}

bool CForeignHandlerNWK::FetchJobs(CNWKJobInfoFetcher& fetcher, const std::string& group) {
  fetcher.set_groupName(group);
  fetcher.AddSuccessRetCode(0);
  fetcher.AddSuccessRetCode(6095);  // "no matches found for the query"
  m_jobs.clear();
  return fetcher.FetchData(&m_jobs);
}

size_t CForeignHandlerNWK::MergeOrBuildJob(const NWKJobInfo& record, NWKClientInfo& client, NWKPolicyInfo& policy,
                                           std::vector<CNMessageBase>* jobs, JobMergeIndex& index,
                                           JobTemplates& templates, bool newestOnly) {
  static const std::string kDefaultMatch = "default";
  const std::string& policyName = policy.get_policyName();
  const std::string& matchName = policyName == "Default" ? kDefaultMatch : policyName;
  const std::string& clientName = client.get_clientName();
  long found = newestOnly ? index.FindNewestOnly(matchName, clientName, record.get_backupTime())
                          : index.FindWithinWindow(matchName, clientName, record.get_backupTime());
  if (found != JobMergeIndex::kNone) {
    record.UpdateJob((*jobs)[found]);
    return static_cast<size_t>(found);
  }
  CNMessageBase* job = record.BuildJob(jobs, templates.For(&client, &policy));
  const CNMessageBase* names = SubclientEntity(*job);
  index.Add(msgbuild::GetString(*names, jobfields::kSubclientName),
            msgbuild::GetString(*names, jobfields::kSubclientClient), record.get_backupTime(), jobs->size() - 1);
  return jobs->size() - 1;
}

void CForeignHandlerNWK::BuildManualJobs(CNWKJobInfoFetcher& fetcher, long long window, JobRun& run) {
  EvEvent log;
  std::vector<CNMessageBase>* jobs = NewJobList(&run.list);
  bool fetched = FetchJobs(fetcher, "");
  if (fetched)
    log.DebugLvl(kFunc, 0, "Successfully collected jobs for group[Manual]");
  else
    log.Error(kFunc, "Failed to collect jobs for group[Manual]");
  log.DebugLvl(kFunc, 1, "Collected [%d] manual jobs", static_cast<int>(m_jobs.size()));
  JobMergeIndex index(window);
  ResourceMemo memo;
  auto match = [this](const NWKJobInfo& r, NWKPolicyInfo*& p, NWKClientInfo*& c) { FindSubclientContent(r, p, c); };
  for (const NWKJobInfo& record : m_jobs) {
    auto [policy, client] = memo.Get(record, match);
    if (policy && client)
      MergeOrBuildJob(record, *client, *policy, jobs, index, run.templates, true);
    else
      RecordDroppedSaveSet(record, client != nullptr);
  }
  ReportGroupProgress("Manual", m_jobs.size(), jobs->size(), true);
}

void CForeignHandlerNWK::BuildGroupJobs(CNWKJobInfoFetcher& fetcher, const std::string& group, long long window,
                                        JobRun& run) {
  EvEvent log;
  if (!FetchJobs(fetcher, group)) {
    log.Error(kFunc, "Failed to collect jobs for group[%s] ", group.c_str());
    return;
  }
  log.DebugLvl(kFunc, 0, "Successfully collected jobs for group[%s] ", group.c_str());
  log.DebugLvl(kFunc, 1, "Collected [%d] jobs", static_cast<int>(m_jobs.size()));
  std::vector<CNMessageBase>* jobs = NewJobList(&run.list);
  JobMergeIndex index(window);
  ResourceMemo memo;
  auto match = [this](const NWKJobInfo& r, NWKPolicyInfo*& p, NWKClientInfo*& c) { FindSubclientContent(r, p, c); };
  size_t done = 0;
  for (const NWKJobInfo& record : m_jobs) {
    if (++done % kProgressEvery == 0) ReportGroupProgress(group, done, jobs->size(), false);
    auto [policy, client] = memo.Get(record, match);
    if (!client || !policy) {
      log.Error(kFunc, client ? "Could not find pPolicy for content [%s], group[%s], client[%s]"
                              : "Could not find pClient for content [%s], group[%s], client[%s]",
                record.get_contentFolder().c_str(), record.get_groupName().c_str(), record.get_clientName().c_str());
      RecordDroppedSaveSet(record, client != nullptr);
      continue;
    }
    run.volumes[record.get_media()].push_back(MergeOrBuildJob(record, *client, *policy, jobs, index, run.templates, false));
    log.DebugLvl(kFunc, 5, "Job [%s] is backed up to volume [%s]", record.get_jobId().c_str(),
                 record.get_media().c_str());
  }
  ReportGroupProgress(group, m_jobs.size(), jobs->size(), true);
}

// The mapping files are written on the dump thread, just before the list,
// which is where a run one thing after the other writes them; their error
// lines come back to be logged before the list's own.
CForeignHandlerBase::DumpCompanion CForeignHandlerNWK::MediaJobMappingWriter(
    std::string dir, std::map<std::string, std::vector<size_t>> volumes) {
  return [dir = std::move(dir), volumes = std::move(volumes)](const CNMessageBase& list) {
    std::vector<hx::ErrorLine> said;
    const std::vector<CNMessageBase>* jobs = list.findList(jobfields::kListJobs.i);
    if (!jobs) return said;
    std::vector<std::string> keys;
    for (const auto& [volume, positions] : volumes) {
      keys.clear();
      for (size_t position : positions) keys.push_back(JobKey((*jobs)[position]));
      if (!WriteMediaJobMapping(dir, volume, keys, &said))
        said.push_back({kFunc, "Errors occurred while dumping media-job mapping for media [" + volume + "]"});
    }
    return said;
  };
}

bool CForeignHandlerNWK::FinishJobListDump() {
  if (FinishXmlMsgDump()) return true;
  EvEvent().Error(kFunc, "Unable to dump jobs xml");
  return false;
}

// Manual save sets of an unknown client were dropped without a word before;
// every dropped save set now has its record, manual or not.
void CForeignHandlerNWK::RecordDroppedSaveSet(const NWKJobInfo& record, bool clientKnown) {
  m_records.Add({records::kDroppedSaveSet, record.get_clientName(), record.get_groupName(), record.get_contentFolder(),
                 clientKnown ? records::kNoResource : records::kNoClient});
}

// A run that holds jobs has its mapping files written and its list handed to
// the writing thread, once the list before it is known to be written: a
// failed write ends the operation before the next run leaves any trace.
bool CForeignHandlerNWK::HandOverJobRun(JobRun& run, JobWrite& writing, hx::LogHold& hold) {
  hold.Stop();  // the write's own lines come before the run's
  if (!SettleJobWrite(writing)) {
    hold.Discard();
    return false;
  }
  hold.Release();
  std::vector<CNMessageBase>* jobs = JobsOf(run.list);
  if (!jobs || jobs->empty()) {
    m_records.Commit(run.records);  // no list to wait for
    return true;
  }
  StartXmlMsgDump(std::move(run.list), MediaJobMappingWriter(GetJobResultsDirForJob(), std::move(run.volumes)));
  writing.busy = true;
  writing.records = std::move(run.records);
  return true;
}

// Waits for the list being written, if any. Its run's records are committed
// once it is written; a list that could not be written (false) takes them
// with it, so the report tells of no save set of a list that does not exist.
bool CForeignHandlerNWK::SettleJobWrite(JobWrite& writing) {
  bool written = !writing.busy || FinishJobListDump();
  if (written) m_records.Commit(writing.records);
  writing = JobWrite();
  return written;
}

// Each run's save sets are read and merged while the list of the run before
// is written on a second thread. Until that write has succeeded the run's log
// lines are held back, so files, their numbers and the log come out as if
// the runs went one after another; its records are held until its own list
// is written.
int CForeignHandlerNWK::DiscoverJobs(CNMessageBase*) {
  ScopedLineReporter reporting(&m_records);
  CNWKJobInfoFetcher fetcher;
  long long window = JobAggregationWindow();
  ClearMediaJobMappings();
  m_clientOfSaveSet.clear();
  JobWrite writing;
  {
    hx::LogHold hold(false);
    JobRun run;
    m_records.HoldIn(&run.records);
    BuildManualJobs(fetcher, window, run);
    m_records.HoldIn(nullptr);
    if (!HandOverJobRun(run, writing, hold)) return 0;
  }
  for (const auto& entry : m_groups) {
    hx::LogHold hold(writing.busy);
    JobRun run;
    m_records.HoldIn(&run.records);
    BuildGroupJobs(fetcher, entry.first, window, run);
    m_records.HoldIn(nullptr);
    if (!HandOverJobRun(run, writing, hold)) return 0;
  }
  return SettleJobWrite(writing) ? 1 : 0;
}

void CForeignHandlerNWK::FindSubclientContent(const NWKJobInfo& job, NWKPolicyInfo*& policy, NWKClientInfo*& client) {
  policy = nullptr;
  auto [known, added] = m_clientOfSaveSet.try_emplace(&job.get_clientName(), nullptr);
  if (added) {
    auto it = m_clients.find(job.get_clientName());
    known->second = it == m_clients.end() ? nullptr : &it->second;
  }
  client = known->second;
  if (!client) return;
  std::vector<NWKPolicyInfo>& policies = client->get_policyList();
  const std::string& group = job.get_groupName();
  const std::string& content = job.get_contentFolder();
  NWKPolicyInfo* all = nullptr;
  NWKPolicyInfo* inGroup = nullptr;  // the one resource of the save set's group, if only one
  size_t groupResources = 0;
  for (NWKPolicyInfo& candidate : policies) {
    if (compareNoCase(candidate.get_groupName(), group) != 0) continue;
    const std::vector<std::string>& saveSets = candidate.get_const_backuplistref();
    if (std::find(saveSets.begin(), saveSets.end(), content) != saveSets.end()) {
      policy = &candidate;
      return;
    }
    if (!all && std::find(saveSets.begin(), saveSets.end(), "All") != saveSets.end()) all = &candidate;
    if (++groupResources == 1) inGroup = &candidate;
  }
  if (all) policy = all;
  else if (groupResources == 1) policy = inGroup;
  else policy = policies.empty() ? nullptr : &policies.front();
}

void CForeignHandlerNWK::FindDiscoveredSubClient(NWKPolicyInfo&, NWKClientInfo&, NWKPolicyInfo*& found) {
  found = nullptr;
}

std::string CForeignHandlerNWK::GenerateCompositePolicyName(const NWKJobInfo& job, const NWKPolicyInfo& policy) {
  return job.get_clientName() + ":" + job.get_groupName() + ":" + policy.get_policyName();
}
