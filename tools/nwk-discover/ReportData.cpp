// Totals the estate rows into a ReportSummary: counts by kind, lists of what
// needs attention, the ten largest clients.
#include "ReportData.h"

#include <algorithm>
#include <climits>

namespace nwk {
namespace {

// Sums stay defined whatever sizes a damaged file holds.
void Add(long long* sum, long long value) {
  if (__builtin_add_overflow(*sum, value, sum)) *sum = value > 0 ? LLONG_MAX : LLONG_MIN;
}

}  // namespace

void SummarySink::Run(const RunRow& row) {
  std::string fromMessages = std::move(m_s->serverName);
  static_cast<RunRow&>(*m_s) = row;
  if (!fromMessages.empty()) m_s->serverName = std::move(fromMessages);
}

void SummarySink::Client(const ClientRow& row) {
  ++m_s->clients;
  ++m_s->clientsByOs[row.os];
  for (const std::string& agent : row.agents) ++m_s->clientsByApp[agent];
  for (const std::string& version : row.versions) ++m_s->clientVersions[version];
  if (row.storageNode) m_s->storageNodes.push_back(row.name);
  if (!row.server.empty()) m_s->serverName = row.server;
}

void SummarySink::Resource(const ResourceRow& row) {
  if (row.defaultManual) ++m_s->defaultManualResources;
  if (!row.hasProperties) return;
  ++m_s->subclients;
  m_s->compressed += row.compressed;
  m_s->encrypted += row.encrypted;
}

LibrarySummary& SummarySink::LibraryNamed(const std::string& name) {
  for (LibrarySummary& library : m_s->libraries)
    if (library.name == name) return library;
  m_s->libraries.push_back(LibrarySummary{name, 0, 0});
  return m_s->libraries.back();
}

void SummarySink::Library(const LibraryRow& row) {
  m_s->libraries.push_back(LibrarySummary{row.name, row.drives, 0});
  m_s->drives += row.drives;
}

void SummarySink::Medium(const MediumRow& row) {
  ++m_s->media;
  ++LibraryNamed(row.library).media;
  m_s->mediaWithRetention += row.hasRetention;
}

void SummarySink::Job(const JobRow& row) {
  ++m_s->jobs;
  Add(&m_s->bytes, row.bytes);
  Add(&m_bytesByClient[row.client], row.bytes);
}

void SummarySink::Day(const DayRow& row) { m_s->days[row.day] = DayTotal{row.jobs, row.bytes}; }

void SummarySink::Attention(const AttentionRow& row) {
  std::string kind = row.kind;
  if (kind == kAttentionOtherAgent) m_s->otherAgentResources.push_back(row.subject);
  else if (kind == kAttentionNoCopy) m_s->poolsWithoutCopies.push_back(row.subject);
  else if (kind == kAttentionDropped) ++m_s->droppedSaveSets;
  else if (kind == kAttentionNoSchedule) m_s->skippedSchedules.push_back(row.subject + (row.reason.empty() ? "" : ": " + row.reason));
}

void SummarySink::End() {
  std::vector<std::pair<std::string, long long>>& top = m_s->topClients;
  top.assign(m_bytesByClient.begin(), m_bytesByClient.end());
  std::sort(top.begin(), top.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  if (top.size() > 10) top.resize(10);
}

bool LoadReportSummary(const std::string& resultsDir, ReportSummary* summary, std::string* error) {
  SummarySink sink(summary);
  return ReadEstate(resultsDir, sink, error);
}

}  // namespace nwk
