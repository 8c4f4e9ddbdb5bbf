// The NetWorker handler: the one object the host creates from this plug-in.
// It runs the discovery operations and keeps what the fetchers parsed for the
// later operations. Its static helpers are the names the host knows them by;
// each forwards to its home in model/ or text/.
#pragma once

#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "hx/HandlerBase.h"
#include "handler/OperationRecords.h"
#include "hx/MessageClasses.h"
#include "model/HostMapping.h"
#include "model/NWKDrive.h"
#include "model/NWKJobInfo.h"
#include "model/NWKLibrary.h"
#include "model/NWKMaps.h"
#include "model/NWKStoragePolicy.h"
#include "model/ServerFacts.h"
#include "text/Attributes.h"
#include "text/ReportReader.h"

class CNWKJobInfoFetcher;
namespace hx {
class LogHold;
}
class ScheduleTaskList;
class JobMergeIndex;

class CForeignHandlerNWK : public CForeignHandlerBase {
 public:
  CForeignHandlerNWK();
  explicit CForeignHandlerNWK(long long jobId);
  ~CForeignHandlerNWK() override;

  int DiscoverConfig(CNMessageBase* config) override;
  int DiscoverStoragePolicies(CNMessageBase* request) override;
  int DiscoverClients(CNMessageBase* request) override;
  int DiscoverJobs(CNMessageBase* request) override;
  int DiscoverMedia(CNMessageBase* request) override;
  int DiscoverSchedule(CNMessageBase* request) override;
  int RetrieveMetadata() override;
  int DoRestore(CNMessageBase* request) override;

  static std::string GenerateZonarName() { return ServerFacts::Current().ZonarName(); }

  static void PopulateOsInfo(CNMessageBase* os, const std::string& osName) { hostmap::PopulateOsInfo(os, osName); }
  static HxAppType GetHxAppType(const NWKClientInfo* client, const NWKPolicyInfo* policy, std::string& appTypeName) {
    return hostmap::GetHxAppType(client, policy, appTypeName);
  }
  static void BuildInstanceBackupsetSubclientNames(HxAppType type, const NWKPolicyInfo& policy,
                                                   std::string& instanceName, std::string& backupSetName,
                                                   std::string& subclientName, const std::string& extra) {
    hostmap::BuildInstanceBackupsetSubclientNames(type, policy, instanceName, backupSetName, subclientName, extra);
  }

  static std::string get_NWKServerName() { return ServerFacts::Current().serverName; }
  static void set_NWKServerName(const std::string& name) { ServerFacts::Current().serverName = name; }
  static std::string get_NWKMAName() { return ServerFacts::Current().mainMediaAgent; }
  static void set_NWKMAName(const std::string& name) { ServerFacts::Current().mainMediaAgent = name; }
  static std::string get_locale() { return ServerFacts::Current().dateFormat; }

  static void ParseCommandOutputFile(const std::string& path, std::vector<std::string>& lines) {
    ReadReportLines(path, lines);
  }
  static bool ReadNLinesFromFile(std::ifstream& file, std::vector<std::string>& lines, int n) {
    return ReadNonBlankLines(file, lines, n);
  }
  static std::string GetAttributeValue(const std::string& line, char separator) {
    return AttributeValue(line, separator);
  }
  static std::string Trim(std::string& s) { return TrimLeadingBlanks(s); }
  static std::string GetGenericStringType(const std::string& s) { return s; }
  static std::string GetStringValue(const std::string& s) { return s; }

  static std::string GetKelvraBackupLevelName(const std::string& level) {
    return hostmap::GetKelvraBackupLevelName(level);
  }
  static int GetKelvraBackupLevel(const std::string& level) { return hostmap::GetKelvraBackupLevel(level); }
  static int GetFDCBackupLevel(const std::string& level) { return hostmap::GetFDCBackupLevel(level); }

  static std::string GenerateScheduleName(const NWKScheduleInfo& schedule, const NWKGroupInfo& group, int week, int day,
                                          const std::string& level, unsigned int startTime) {
    return hostmap::GenerateScheduleName(schedule, group, week, day, level, startTime);
  }
  static std::string GenerateTaskName(const std::string& first, const std::string& second) {
    return hostmap::GenerateTaskName(first, second);
  }
  static unsigned int GetScheduleStartTime(const std::string& time) { return hostmap::GetScheduleStartTime(time); }

  static std::string GenerateDefaultSPName() { return ServerFacts::Current().DefaultPolicyName(); }

  // The client and resource that produced a save set: among the client's
  // resources of the save set's group, one naming the save set, else one
  // backing up "All", else the group's only resource (application save sets
  // such as RMAN pieces or databases are not named in the resource); failing
  // all, the client's first resource. Null when the client is unknown (or
  // has no resource).
  void FindSubclientContent(const NWKJobInfo& job, NWKPolicyInfo*& policy, NWKClientInfo*& client);
  void FindDiscoveredSubClient(NWKPolicyInfo& policy, NWKClientInfo& client, NWKPolicyInfo*& found);
  std::string GenerateCompositePolicyName(const NWKJobInfo& job, const NWKPolicyInfo& policy);

  // Job keys per volume, kept in <results>/<volume>.txt (volume name made safe;
  // keys escaped so that '\' and the key end byte come back as written). A
  // volume without a name has no file: both answer false.
  bool DumpMediaJobMapping(std::string volume, const std::vector<std::string>& jobKeys);
  // The same into the results directory `dir`, with the error lines handed
  // back rather than logged: for the dump thread.
  static bool WriteMediaJobMapping(const std::string& dir, const std::string& volume,
                                   const std::vector<std::string>& jobKeys, std::vector<hx::ErrorLine>* said);
  bool RetrieveMediaJobMapping(std::string volume, std::vector<std::string>& jobKeys);
  // Removes the mapping files an earlier job discovery left, so that this one
  // starts them afresh (it then appends group after group). Every `*.txt` in
  // the results directory but the reports (`tarn_*.txt`) is a mapping file.
  void ClearMediaJobMappings();
  // Lists the mapping files once, so that RetrieveMediaJobMapping tries to
  // open only those (a jukebox of thousands of empty slots has no file for
  // any of them); ForgetMediaJobMappings goes back to looking each file up.
  void ListMediaJobMappings();
  void ForgetMediaJobMappings() { m_mappingFiles.reset(); }

  static std::string GenerateLibraryName() { return ServerFacts::Current().DefaultLibraryName(); }
  static void NormalizeDrvLibName(std::string& name) { hostmap::NormalizeDrvLibName(name); }
  static int _MapStorageType_NWKToHx(std::string model) { return hostmap::MapStorageType(model); }
  static int _MapDeviceType_NWKToHx(std::string family) { return hostmap::MapDeviceType(family); }

  // Read access for the runner's summary and for tests.
  const NWKClientMap& clients() const { return m_clients; }

 protected:
  NWKClientMap m_clients;
  NWKGroupMap m_groups;
  NWKScheduleMap m_schedules;
  NWKDirectiveMap m_directives;
  std::vector<NWKJobInfo> m_jobs;
  // Job discovery's client lookups, by the save sets' client names (NWKJobInfo
  // keeps each distinct name once, so its address stands for the name): a
  // million save sets would otherwise search the client map a million times.
  // Emptied when job discovery starts, since the clients may have changed.
  std::unordered_map<const std::string*, NWKClientInfo*> m_clientOfSaveSet;
  // While media discovery runs: the mapping files there are (ListMediaJobMappings).
  std::optional<std::unordered_set<std::string>> m_mappingFiles;
  // While media discovery runs: the retention of each expiry date read so far.
  std::unordered_map<std::string, unsigned int> m_retentionOfDate;
  std::vector<NWKLibrary> m_libraries;
  std::vector<NWKDrive> m_drives;
  std::vector<NWKStoragePolicy> m_storagePolicies;
  std::map<std::string, std::string> m_mediaRetention;
  // What the operations drop, skip or learn, beside the log; also the
  // reporter of the report readers while an operation runs.
  OperationRecords m_records;

 private:
  // Schedule discovery steps.
  void BuildClientSchedules(ScheduleTaskList& policies, const std::string& clientKey,
                            NWKClientInfo& client);
  void BuildResourceSchedule(ScheduleTaskList& policies, const std::string& clientKey,
                             NWKClientInfo& client, NWKPolicyInfo& resource);
  bool HandOverPolicies(ScheduleTaskList& policies);
  // Media discovery steps.
  void _BuildDefaultLibrary(FDC::ForeignLibraries& libraries);
  // One library per jukebox, with a medium per barcode.
  void BuildJukeboxLibraries(CNMessageBase& libraryList, CNMessageBase& mediaList);
  // Each device as a drive of its jukebox's library or of a library of its
  // own; the volume of each disk device as a medium.
  void BuildDeviceDrives(CNMessageBase& libraryList, CNMessageBase& mediaList);
  // Seconds since the epoch at which `volume` expires, read in the server's
  // date format (ServerFacts); 0 when its expiry date is unknown or not in
  // that format, which NoRetention records with the reason.
  unsigned int MediaRetention(const std::string& volume);
  unsigned int NoRetention(const std::string& volume, const std::string& reason);
  void BuildDefaultSP(FDC::StoragePolicyList& list);
  // The last stage of media discovery: the default policy and one per pool
  // that lists devices, written as one FDC::StoragePolicyList.
  bool BuildStoragePolicies();

  // Job discovery steps.
  long long JobAggregationWindow() const;
  bool FetchJobs(CNWKJobInfoFetcher& fetcher, const std::string& group);
  // One run's job list, built and not yet written; per volume, the position
  // in the list of the job of each save set on it; the job templates of its
  // resources; the records its building made, held until the list is written.
  struct JobRun {
    FDC::JobList list;
    std::map<std::string, std::vector<size_t>> volumes;
    JobTemplates templates;
    std::string records;
  };
  // The list being written on the second thread, if any, and its run's records.
  struct JobWrite {
    bool busy = false;
    std::string records;
  };
  void BuildManualJobs(CNWKJobInfoFetcher& fetcher, long long window, JobRun& run);
  void BuildGroupJobs(CNWKJobInfoFetcher& fetcher, const std::string& group, long long window, JobRun& run);
  // Writes the run's mapping files: the companion of its list's dump.
  static DumpCompanion MediaJobMappingWriter(std::string dir, std::map<std::string, std::vector<size_t>> volumes);
  bool HandOverJobRun(JobRun& run, JobWrite& writing, hx::LogHold& hold);
  bool SettleJobWrite(JobWrite& writing);
  bool FinishJobListDump();
  // A save set no job carries: its client or its resource is not known.
  void RecordDroppedSaveSet(const NWKJobInfo& record, bool clientKnown);
  // The job `record` folds into (updated) or a new one; its position in `jobs`.
  size_t MergeOrBuildJob(const NWKJobInfo& record, NWKClientInfo& client, NWKPolicyInfo& policy,
                         std::vector<CNMessageBase>* jobs, JobMergeIndex& index, JobTemplates& templates,
                         bool newestOnly);

  // The status the host server is told: time, failed flag, text, job, host.
  FDC::DiscoveryError StatusMessage(long long failed, const std::string& text) const;
  bool ExchangeInstanceProperties(CNMessageBase* config);
  bool FetchClientInformation();
  void ReportDaemonsDown();
  void ApplyDirectives();
  void SettleLocale();
};
