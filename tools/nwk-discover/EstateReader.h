// Reads a results directory (its xml/ messages and its log) message by message
// and hands the estate rows to a sink.
#pragma once

#include <string>

#include "EstateRows.h"

namespace nwk {

// Reads the last run's messages in <resultsDir>/xml/, in the order they were
// numbered, then <resultsDir>/nwk-discover.log and the records, into an
// EstateAssembler over `sink`. Files that cannot be read go to the sink as
// problems; false (with `error`) only when the directory holds neither.
bool ReadEstate(const std::string& resultsDir, EstateSink& sink, std::string* error);

}  // namespace nwk
