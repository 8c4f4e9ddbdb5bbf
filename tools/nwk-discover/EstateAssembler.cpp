// The held rows released with their schedules, then the run's own rows.
#include "EstateAssembler.h"

#include <climits>

#include "EstateReader.h"
#include "ReportServerRelease.h"
#include "fields/RunRecords.h"
#include "hx/Files.h"

namespace nwk {
namespace {

// Sums stay defined whatever sizes a damaged file holds.
void Add(long long* sum, long long value) {
  if (__builtin_add_overflow(*sum, value, sum)) *sum = value > 0 ? LLONG_MAX : LLONG_MIN;
}

}  // namespace

std::string RunLogPath(const std::string& resultsDir) { return hx::JoinPath(resultsDir, "nwk-discover.log"); }

void EstateAssembler::SchedulePolicy(const SchedulePolicyRow& row) {
  m_index.AddPolicy(row);
  m_out.SchedulePolicy(row);
}

void EstateAssembler::Job(const JobRow& row) {
  std::string day = UtcDay(row.startTime);
  DayRow& total = m_days[day];
  if (total.day.empty()) total.day = std::move(day);
  ++total.jobs;
  Add(&total.bytes, row.bytes);
  m_out.Job(row);
}

void EstateAssembler::Finish(const std::string& resultsDir, RunLog log, bool logRead) {
  m_index.SetSchedules(std::move(log.schedules));
  for (auto& held : m_held) {
    if (auto* resource = std::get_if<ResourceRow>(&held)) {
      m_index.Fill(resource);
      m_out.Resource(*resource);
    } else if (auto* client = std::get_if<ClientRow>(&held)) {
      m_out.Client(*client);
    } else {
      m_out.Attention(std::get<AttentionRow>(held));
    }
  }
  m_held.clear();
  if (!logRead) m_out.Problem("cannot read the log '" + RunLogPath(resultsDir) + "'");
  std::string records = hx::JoinPath(resultsDir, records::kFileName);
  ReadRunFacts(records, &log.run);
  ServerRelease release;
  if (ReadServerRelease(resultsDir, &release)) {
    log.run.serverVersion = release.version;
    log.run.modelNotice = ModelNotice(release);
  }
  m_out.Run(log.run);
  ReadRunAttention(records, m_out);
  for (const auto& [day, total] : m_days) m_out.Day(total);
  m_out.End();
}

}  // namespace nwk
