// The held rows released with their schedules, then the run's own rows;
// jobs totalled per UTC day on the way.
#include "EstateAssembler.h"

#include <climits>

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

std::string UtcDay(long long seconds) {
  constexpr long long kYear1 = -62135596800LL, kYear9999End = 253402300799LL;
  if (seconds < kYear1 || seconds > kYear9999End) return "out of range";
  // Days since 1970-01-01 to a civil date (proleptic Gregorian).
  long long z = (seconds >= 0 ? seconds : seconds - 86399) / 86400 + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  long long day = doy - (153 * mp + 2) / 5 + 1;
  long long month = mp < 10 ? mp + 3 : mp - 9;
  long long year = yoe + era * 400 + (month <= 2);
  auto pad = [](long long value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
  };
  return pad(year, 4) + "-" + pad(month, 2) + "-" + pad(day, 2);
}

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
  std::string records = hx::JoinPath(resultsDir, records::kFileName);
  ReadRunFacts(records, &log.run, &m_index);
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
