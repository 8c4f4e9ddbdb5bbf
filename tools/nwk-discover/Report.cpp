// Ties the report together: read the summary once, write both renderings.
#include "Report.h"

#include <exception>

#include "ReportData.h"
#include "ReportHtml.h"
#include "ReportJson.h"
#include "hx/Files.h"

namespace nwk {

bool WriteReport(const std::string& resultsDir, std::string* error) {
  try {
    ReportSummary summary;
    if (!LoadReportSummary(resultsDir, &summary, error)) return false;
    return hx::ReplaceFile(hx::JoinPath(resultsDir, "summary.json"), SummaryJson(summary), error) &&
           hx::ReplaceFile(hx::JoinPath(resultsDir, "report.html"), ReportHtml(summary), error);
  } catch (const std::exception& e) {
    *error = std::string("cannot build the report of '") + resultsDir + "': " + e.what();
    return false;
  }
}

}  // namespace nwk
