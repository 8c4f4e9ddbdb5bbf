// The migration assessment of a results directory: report.html, summary.json
// and the workbook estate.xlsx, rebuilt from its XML messages and log.
#pragma once

#include <string>

namespace nwk {

// Writes <resultsDir>/summary.json, report.html and estate.xlsx (each replaced
// whole, never left half written). False with `error` when the directory
// cannot be read or a file cannot be written. Never throws.
bool WriteReport(const std::string& resultsDir, std::string* error);

}  // namespace nwk
