// The migration assessment of a results directory: report.html and
// summary.json, rebuilt from its XML messages and log.
#pragma once

#include <string>

namespace nwk {

// Writes <resultsDir>/summary.json and <resultsDir>/report.html (each replaced
// whole, never left half written). False with `error` when the directory
// cannot be read or a file cannot be written. Never throws.
bool WriteReport(const std::string& resultsDir, std::string* error);

}  // namespace nwk
