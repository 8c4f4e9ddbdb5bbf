// Ties the report together: the estate's rows, from the run or from the
// files, into the summary and the workbook, then every rendering written.
#include "Report.h"

#include <exception>
#include <variant>
#include <vector>

#include "EstateAssembler.h"
#include "EstateWorkbook.h"
#include "ReportData.h"
#include "ReportHtml.h"
#include "ReportJson.h"
#include "hx/Files.h"

namespace nwk {

// The sinks of one report, behind the assembler that orders their rows.
class EstateReport {
 public:
  explicit EstateReport(const std::string& resultsDir)
      : m_dir(resultsDir),
        m_summarySink(&m_summary),
        m_workbook(hx::JoinPath(resultsDir, "estate.xlsx")),
        m_sinks({&m_summarySink, &m_workbook}),
        m_rows(m_sinks) {}

  // Rows in the order the messages were written: the run's.
  EstateAssembler& rows() { return m_rows; }
  // Rows already in order: the rebuild's (ReadEstate orders them).
  EstateSink& renderings() { return m_sinks; }

  // Writes the files once every row is in (the assembler finished).
  bool Write(std::string* error) {
    return hx::ReplaceFile(hx::JoinPath(m_dir, "summary.json"), SummaryJson(m_summary), error) &&
           hx::ReplaceFile(hx::JoinPath(m_dir, "report.html"), ReportHtml(m_summary), error) && m_workbook.Close(error);
  }

 private:
  std::string m_dir;
  ReportSummary m_summary;
  SummarySink m_summarySink;
  WorkbookSink m_workbook;
  SinkList m_sinks;
  EstateAssembler m_rows;
};

// The rows of a message held until its write is known to have succeeded.
class RunReport::Pending : public EstateSink {
 public:
  void Client(const ClientRow& r) override { m_rows.emplace_back(r); }
  void Resource(const ResourceRow& r) override { m_rows.emplace_back(r); }
  void SchedulePolicy(const SchedulePolicyRow& r) override { m_rows.emplace_back(r); }
  void Library(const LibraryRow& r) override { m_rows.emplace_back(r); }
  void Medium(const MediumRow& r) override { m_media.push_back(r); }
  void Pool(const PoolRow& r) override { m_rows.emplace_back(r); }
  void Job(const JobRow& r) override { m_jobs.push_back(r); }
  void Attention(const AttentionRow& r) override { m_rows.emplace_back(r); }

  // A message gives jobs, media or other rows, never two of these.
  void HandTo(EstateSink& sink) {
    for (const Row& row : m_rows) std::visit([&sink](const auto& r) { Give(sink, r); }, row);
    for (const MediumRow& medium : m_media) sink.Medium(medium);
    for (const JobRow& job : m_jobs) sink.Job(job);
    Drop();
  }
  void Drop() {
    std::vector<Row>().swap(m_rows);
    std::vector<MediumRow>().swap(m_media);
    std::vector<JobRow>().swap(m_jobs);
  }

 private:
  using Row = std::variant<ClientRow, ResourceRow, SchedulePolicyRow, LibraryRow, PoolRow, AttentionRow>;
  static void Give(EstateSink& s, const ClientRow& r) { s.Client(r); }
  static void Give(EstateSink& s, const ResourceRow& r) { s.Resource(r); }
  static void Give(EstateSink& s, const SchedulePolicyRow& r) { s.SchedulePolicy(r); }
  static void Give(EstateSink& s, const LibraryRow& r) { s.Library(r); }
  static void Give(EstateSink& s, const PoolRow& r) { s.Pool(r); }
  static void Give(EstateSink& s, const AttentionRow& r) { s.Attention(r); }
  std::vector<Row> m_rows;
  // Apart: a list of 100,000 jobs or 200,000 media is held in a fraction of the room.
  std::vector<MediumRow> m_media;
  std::vector<JobRow> m_jobs;
};

RunReport::RunReport(const std::string& resultsDir) : m_resultsDir(resultsDir), m_pending(std::make_unique<Pending>()) {
  try {
    m_report = std::make_unique<EstateReport>(resultsDir);
  } catch (const std::exception& e) {
    m_failure = e.what();
  }
}

RunReport::~RunReport() = default;

// Called from inside the plug-in's operation: nothing may be thrown back into it.
void RunReport::Writing(const CNMessageBase& msg) {
  if (!m_failure.empty()) return;
  try {
    m_pending->Drop();
    ExtractMessage(msg, *m_pending);
  } catch (const std::exception& e) {
    m_failure = e.what();
  }
}

void RunReport::Written(const std::string& path) {
  if (!m_failure.empty()) return;
  try {
    if (path.empty()) m_pending->Drop();
    else m_pending->HandTo(m_report->rows());
  } catch (const std::exception& e) {
    m_failure = e.what();
  }
}

bool RunReport::Finish(std::string* error) {
  try {
    if (m_failure.empty()) {
      RunLog log;
      bool logRead = ReadRunLog(RunLogPath(m_resultsDir), &log);
      m_report->rows().Finish(m_resultsDir, std::move(log), logRead);
      return m_report->Write(error);
    }
  } catch (const std::exception& e) {
    m_failure = e.what();
  }
  *error = "cannot build the report of '" + m_resultsDir + "': " + m_failure;
  return false;
}

bool WriteReport(const std::string& resultsDir, std::string* error) {
  try {
    EstateReport report(resultsDir);
    if (!ReadEstate(resultsDir, report.renderings(), error)) return false;
    return report.Write(error);
  } catch (const std::exception& e) {
    *error = std::string("cannot build the report of '") + resultsDir + "': " + e.what();
    return false;
  }
}

}  // namespace nwk
