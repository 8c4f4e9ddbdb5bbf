// The figures of a migration assessment: the estate rows of a results
// directory totalled into one plain summary (summary.json and report.html).
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "EstateReader.h"
#include "EstateRows.h"

namespace nwk {

struct LibrarySummary {
  std::string name;
  long long drives = 0;
  long long media = 0;
};

struct DayTotal {
  long long jobs = 0;
  long long bytes = 0;
};

// What the run row says (operations, server, origin, date format) plus the
// totals of the other rows. `serverName` is the one the messages give, the
// log's only when they give none.
struct ReportSummary : RunRow {
  std::vector<std::string> problems;  // files that could not be read, with the reason
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

  std::vector<SchedulePolicyRow> schedules;
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

// Totals the rows into `summary`, which must outlive the sink.
class SummarySink : public EstateSink {
 public:
  explicit SummarySink(ReportSummary* summary) : m_s(summary) {}
  void Run(const RunRow& row) override;
  void Client(const ClientRow& row) override;
  void Resource(const ResourceRow& row) override;
  void SchedulePolicy(const SchedulePolicyRow& row) override { m_s->schedules.push_back(row); }
  void Library(const LibraryRow& row) override;
  void Medium(const MediumRow& row) override;
  void Pool(const PoolRow&) override { ++m_s->storagePolicies; }
  void Job(const JobRow& row) override;
  void Day(const DayRow& row) override;
  void Attention(const AttentionRow& row) override;
  void Problem(const std::string& text) override { m_s->problems.push_back(text); }
  void End() override;

 private:
  LibrarySummary& LibraryNamed(const std::string& name);
  ReportSummary* m_s;
  std::unordered_map<std::string, long long> m_bytesByClient;
};

// ReadEstate into a SummarySink: the summary of a results directory.
bool LoadReportSummary(const std::string& resultsDir, ReportSummary* summary, std::string* error);

}  // namespace nwk
