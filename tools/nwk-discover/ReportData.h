// The figures of a migration assessment: what a results directory's XML
// messages and log say about the server, read back into one plain summary.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace nwk {

// One subtask of a schedule policy: a backup level on some days at one time.
struct ScheduleSlot {
  long long level = 0;        // 1 Full, 2 Incremental, 3 Differential, 4 Synthetic Full
  bool monthly = false;
  unsigned weekDays = 0;      // bit d-1 set when day d (1 = Sunday) runs, weekly patterns
  long long dayOfMonth = 0;   // monthly patterns
  long long startSeconds = -1;  // -1 when the group has no start time
};

struct SchedulePolicy {
  std::string name;
  long long subclients = 0;
  std::vector<ScheduleSlot> slots;
};

struct LibrarySummary {
  std::string name;
  long long drives = 0;
  long long media = 0;
};

struct DayTotal {
  long long jobs = 0;
  long long bytes = 0;
};

// The error lines an operation logged (the first kErrorLinesKept of them).
struct OperationErrors {
  static constexpr std::size_t kErrorLinesKept = 50;
  long long count = 0;
  std::vector<std::string> lines;
};

struct ReportSummary {
  // Operation name -> "ok", "completed with errors" (it succeeded but logged
  // errors) or "failed", from the runner's log; absent when not run.
  std::map<std::string, std::string> operations;
  std::vector<std::string> operationOrder;  // the operations in the order they ran
  std::map<std::string, OperationErrors> operationErrors;  // operations that logged errors
  std::vector<std::string> problems;  // files that could not be read, with the reason

  std::string serverVersion;  // the release the server report gives, "" when unknown
  std::string modelNotice;    // set when that release is newer than the model the discovery reads
  // Where the reports came from, from the runner's log: "local" (the tools of
  // this host, for the server they answer for), "remote" (a server named with
  // --server), "replay" (a dataset directory), "" (the log does not say).
  std::string origin;
  std::string originHost;     // the host the commands ran on (local, remote)
  std::string originServer;   // the name given with --server (remote)
  std::string originDataset;  // the dataset directory (replay)

  std::string serverName;
  std::string mainMediaAgent;
  std::string dateFormat;
  std::string dateFormatSource;  // "file", "setting", "default" or ""
  std::map<std::string, long long> clientVersions;  // version text -> clients

  long long clients = 0;
  std::map<std::string, long long> clientsByOs;
  std::map<std::string, long long> clientsByApp;  // agent entries by application type
  std::vector<std::string> otherAgentResources;  // "client / subclient", default "Manual" ones apart
  long long defaultManualResources = 0;  // the "Manual" resource every client is given
  std::vector<std::string> storageNodes;
  long long subclients = 0;  // subclients that carry properties
  long long compressed = 0;
  long long encrypted = 0;

  std::vector<SchedulePolicy> schedules;
  std::vector<std::string> skippedSchedules;  // resources given no schedule policy, with the reason

  std::vector<LibrarySummary> libraries;
  long long drives = 0;
  long long media = 0;
  long long mediaWithRetention = 0;
  std::vector<std::string> poolsWithoutCopies;
  long long storagePolicies = 0;

  long long jobs = 0;
  long long bytes = 0;
  std::map<std::string, DayTotal> days;  // "YYYY-MM-DD" (UTC) -> totals
  std::vector<std::pair<std::string, long long>> topClients;  // by bytes, largest first, at most 10
  long long droppedSaveSets = 0;
};

// Reads <resultsDir>/xml/*.xml, <resultsDir>/nwk-discover.log and the
// server report's version. Files that
// cannot be read are noted in `problems`; false (with `error`) only when the
// directory itself cannot be read.
bool LoadReportSummary(const std::string& resultsDir, ReportSummary* summary, std::string* error);

// "YYYY-MM-DD" of a time in seconds since 1970-01-01 UTC.
std::string UtcDay(long long seconds);

}  // namespace nwk
