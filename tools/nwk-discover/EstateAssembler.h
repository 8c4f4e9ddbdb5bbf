// Puts the rows of one run's messages, taken in the order the messages are
// numbered, into the order every rendering expects, and adds what the log and
// the records say once the messages are done.
#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "EstateExtract.h"
#include "EstateRows.h"

namespace nwk {

// Resource rows name their groups and schedule, which only the schedule
// policies (written last in a run) and the records give: so client rows,
// resource rows and the attention rows of messages (a few per client) are
// held until Finish, while jobs, media and the rest go straight through,
// jobs also totalled per day. A run's report and `report --out` feed it the
// same rows in the same order, so both give the same files.
class EstateAssembler : public EstateSink {
 public:
  explicit EstateAssembler(EstateSink& out) : m_out(out) {}

  void Client(const ClientRow& row) override { m_held.emplace_back(row); }
  void Resource(const ResourceRow& row) override { m_held.emplace_back(row); }
  void Attention(const AttentionRow& row) override { m_held.emplace_back(row); }
  void SchedulePolicy(const SchedulePolicyRow& row) override;
  void Library(const LibraryRow& row) override { m_out.Library(row); }
  void Medium(const MediumRow& row) override { m_out.Medium(row); }
  void Pool(const PoolRow& row) override { m_out.Pool(row); }
  void Job(const JobRow& row) override;
  void Problem(const std::string& text) override { m_out.Problem(text); }

  // After the last message of the run in <resultsDir>: the held rows (with
  // the schedules the records give), the run row (from `log`, the records
  // and the server report), the recorded
  // attention rows, the days, then End. `logRead` false: the log could not
  // be read, which goes out as a problem.
  void Finish(const std::string& resultsDir, RunLog log, bool logRead);

 private:
  EstateSink& m_out;
  ScheduleIndex m_index;
  std::vector<std::variant<ClientRow, ResourceRow, AttentionRow>> m_held;
  std::map<std::string, DayRow> m_days;
};

// "YYYY-MM-DD" of a time in seconds since 1970-01-01 UTC.
std::string UtcDay(long long seconds);

// Where a results directory keeps its log.
std::string RunLogPath(const std::string& resultsDir);

}  // namespace nwk
