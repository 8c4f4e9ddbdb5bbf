// The migration assessment of a results directory: report.html, summary.json
// and the workbook estate.xlsx, built from a run's messages as they are
// written, or rebuilt from the XML messages and log it holds.
#pragma once

#include <memory>
#include <string>

#include "hx/MessageObserver.h"

namespace nwk {

class EstateReport;

// Follows one run: the rows of each message written go into the report as
// the run goes on (a message whose write failed counts for nothing), and
// Finish adds what the log and the records say. Nothing is read back from xml/.
class RunReport : public hx::MessageObserver {
 public:
  explicit RunReport(const std::string& resultsDir);
  ~RunReport() override;
  RunReport(const RunReport&) = delete;
  RunReport& operator=(const RunReport&) = delete;

  void Writing(const CNMessageBase& msg) override;
  void Written(const std::string& path) override;
  // Writes the report's files as WriteReport does. Never throws.
  bool Finish(std::string* error);

 private:
  class Pending;
  std::string m_resultsDir;
  std::unique_ptr<EstateReport> m_report;
  std::unique_ptr<Pending> m_pending;  // the rows of the message being written
  std::string m_failure;  // why the report could not follow the run, once it could not
};

// Writes <resultsDir>/summary.json, report.html and estate.xlsx (each replaced
// whole, never left half written) from the directory's files. False with
// `error` when the directory cannot be read or a file cannot be written.
// Never throws.
bool WriteReport(const std::string& resultsDir, std::string* error);

}  // namespace nwk
