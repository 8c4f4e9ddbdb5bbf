// The NetWorker handler: the one object the host creates from this plug-in.
// It runs the discovery operations, keeps what the fetchers parsed for the
// later operations, and holds the process-wide facts about the server.
#pragma once

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "hx/HandlerBase.h"
#include "hx/MessageClasses.h"
#include "hx/Strings.h"
#include "model/NWKClientInfo.h"
#include "model/NWKDirectiveInfo.h"
#include "model/NWKDrive.h"
#include "model/NWKGroupInfo.h"
#include "model/NWKJobInfo.h"
#include "model/NWKLibrary.h"
#include "model/NWKScheduleInfo.h"
#include "model/NWKStoragePolicy.h"

// Orders names without regard to case, so "hosta" and "HOSTA" are one entry.
struct stringcomparator_caseinsensitive {
  bool operator()(const std::string& a, const std::string& b) const { return compareNoCase(a, b) < 0; }
};

using NWKClientMap = std::map<std::string, NWKClientInfo, stringcomparator_caseinsensitive>;
using NWKGroupMap = std::map<std::string, NWKGroupInfo, stringcomparator_caseinsensitive>;
using NWKScheduleMap = std::map<std::string, NWKScheduleInfo, stringcomparator_caseinsensitive>;
using NWKDirectiveMap = std::map<std::string, NWKDirectiveInfo>;

// The host's application type of a resource; the values this plug-in produces.
using HxAppType = int;
namespace hxapp {
constexpr HxAppType kSolarisFileSystem = 19;
constexpr HxAppType kAixFileSystem = 21;
constexpr HxAppType kOracle = 22;
constexpr HxAppType kLinuxFileSystem = 29;
constexpr HxAppType kWindowsFileSystem = 33;
constexpr HxAppType kSqlServer = 81;
constexpr HxAppType kOtherExternalAgent = 130;
}  // namespace hxapp

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

  // "NETWORKER_" + server name (the local host name while no server is known).
  static std::string GenerateZonarName();

  // Fills an App::OperatingSystem record from a NetWorker OS text.
  static void PopulateOsInfo(CNMessageBase* os, const std::string& osName);
  // The application type of one resource of one client, and its display name.
  static HxAppType GetHxAppType(const NWKClientInfo* client, const NWKPolicyInfo* policy, std::string& appTypeName);
  // The instance, backup set and subclient names a resource is shown under.
  static void BuildInstanceBackupsetSubclientNames(HxAppType type, const NWKPolicyInfo& policy,
                                                   std::string& instanceName, std::string& backupSetName,
                                                   std::string& subclientName, const std::string& extra);

  static std::string get_NWKServerName() { return m_NWKServerName; }
  static void set_NWKServerName(const std::string& name) { m_NWKServerName = name; }
  static std::string get_NWKMAName() { return m_NWKMAName; }
  static void set_NWKMAName(const std::string& name) { m_NWKMAName = name; }
  static std::string get_locale() { return m_locale; }

  // Line readers and the attribute cutter shared by every report parser.
  static void ParseCommandOutputFile(const std::string& path, std::vector<std::string>& lines);
  static bool ReadNLinesFromFile(std::ifstream& file, std::vector<std::string>& lines, int n);
  static std::string GetAttributeValue(const std::string& line, char separator);
  // Drops leading blanks but never the last character; trailing blanks stay.
  static std::string Trim(std::string& s);
  static std::string GetGenericStringType(const std::string& s) { return s; }
  static std::string GetStringValue(const std::string& s) { return s; }

  // NetWorker level names in the host's terms: display name and level number
  // for schedule tasks, level code for job records.
  static std::string GetKelvraBackupLevelName(const std::string& level);
  static int GetKelvraBackupLevel(const std::string& level);
  static int GetFDCBackupLevel(const std::string& level);

  // Schedule naming: one subtask name per pattern, one task name per
  // (schedule, group) pair, and a time of day in seconds after midnight.
  static std::string GenerateScheduleName(const NWKScheduleInfo& schedule, const NWKGroupInfo& group, int week, int day,
                                          const std::string& level, unsigned int startTime);
  static std::string GenerateTaskName(const std::string& first, const std::string& second);
  static unsigned int GetScheduleStartTime(const std::string& time);

  // "EMC_Networker_Policy_" + server name, fixed at the first call.
  static std::string GenerateDefaultSPName();

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
  bool RetrieveMediaJobMapping(std::string volume, std::vector<std::string>& jobKeys);
  // Removes the mapping files an earlier job discovery left, so that this one
  // starts them afresh (it then appends group after group). Every `*.txt` in
  // the results directory but the reports (`tarn_*.txt`) is a mapping file.
  void ClearMediaJobMappings();

  // Media discovery names and type mappings.
  static std::string GenerateLibraryName();
  static void NormalizeDrvLibName(std::string& name);
  static int _MapStorageType_NWKToHx(std::string model);
  static int _MapDeviceType_NWKToHx(std::string family);

  // Read access for the runner's summary and for tests.
  const NWKClientMap& clients() const { return m_clients; }

 protected:
  NWKClientMap m_clients;
  NWKGroupMap m_groups;
  NWKScheduleMap m_schedules;
  NWKDirectiveMap m_directives;
  std::vector<NWKJobInfo> m_jobs;
  std::vector<NWKLibrary> m_libraries;
  std::vector<NWKDrive> m_drives;
  std::vector<NWKStoragePolicy> m_storagePolicies;
  std::map<std::string, std::string> m_mediaRetention;

  static std::string m_NWKServerName;
  static std::string m_NWKMAName;
  static std::string m_SPName;
  static std::string m_locale;

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
  // date format (m_locale); 0 when its expiry date is unknown or not in that
  // format.
  unsigned int MediaRetention(const std::string& volume) const;
  void BuildDefaultSP(FDC::StoragePolicyList& list);
  // The last stage of media discovery: the default policy and one per pool
  // that lists devices, written as one FDC::StoragePolicyList.
  bool BuildStoragePolicies();

  // Job discovery steps.
  long long JobAggregationWindow() const;
  bool FetchJobs(CNWKJobInfoFetcher& fetcher, const std::string& group);
  // One run's job list, built and not yet written; per volume, the position
  // in the list of the job of each save set on it.
  struct JobRun {
    FDC::JobList list;
    std::map<std::string, std::vector<size_t>> volumes;
  };
  void BuildManualJobs(CNWKJobInfoFetcher& fetcher, long long window, JobRun& run);
  void BuildGroupJobs(CNWKJobInfoFetcher& fetcher, const std::string& group, long long window, JobRun& run);
  void DumpMediaJobMappings(JobRun& run);
  bool HandOverJobRun(JobRun& run, bool& writing, hx::LogHold& hold);
  bool FinishJobListDump();
  // The job `record` folds into (updated) or a new one; its position in `jobs`.
  size_t MergeOrBuildJob(const NWKJobInfo& record, NWKClientInfo& client, NWKPolicyInfo& policy,
                         std::vector<CNMessageBase>* jobs, JobMergeIndex& index, bool newestOnly);

  // The status the host server is told: time, failed flag, text, job, host.
  FDC::DiscoveryError StatusMessage(long long failed, const std::string& text) const;
  bool ExchangeInstanceProperties(CNMessageBase* config);
  bool FetchClientInformation();
  void ReportDaemonsDown();
  void ApplyDirectives();
  void SettleLocale();
};
