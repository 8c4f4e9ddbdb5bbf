// Ties the report together: read the estate once, into the summary and the
// workbook, then write every rendering.
#include "Report.h"

#include <exception>

#include "EstateWorkbook.h"
#include "ReportData.h"
#include "ReportHtml.h"
#include "ReportJson.h"
#include "hx/Files.h"

namespace nwk {

bool WriteReport(const std::string& resultsDir, std::string* error) {
  try {
    ReportSummary summary;
    SummarySink summarySink(&summary);
    WorkbookSink workbook(hx::JoinPath(resultsDir, "estate.xlsx"));
    SinkList sinks({&summarySink, &workbook});
    if (!ReadEstate(resultsDir, sinks, error)) return false;
    return hx::ReplaceFile(hx::JoinPath(resultsDir, "summary.json"), SummaryJson(summary), error) &&
           hx::ReplaceFile(hx::JoinPath(resultsDir, "report.html"), ReportHtml(summary), error) && workbook.Close(error);
  } catch (const std::exception& e) {
    *error = std::string("cannot build the report of '") + resultsDir + "': " + e.what();
    return false;
  }
}

}  // namespace nwk
