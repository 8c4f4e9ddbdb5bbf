// Reads a results directory (its xml/ messages and its log) message by message
// and hands the estate rows to a sink.
#pragma once

#include <string>

#include "EstateRows.h"

namespace nwk {

// Reads <resultsDir>/xml/*.xml and <resultsDir>/nwk-discover.log. Files that
// cannot be read go to the sink as problems; false (with `error`) only when
// the directory holds neither. Schedule policies are read first so that
// resource rows can name theirs.
bool ReadEstate(const std::string& resultsDir, EstateSink& sink, std::string* error);

// "YYYY-MM-DD" of a time in seconds since 1970-01-01 UTC.
std::string UtcDay(long long seconds);

}  // namespace nwk
