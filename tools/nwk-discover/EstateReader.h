// Reads a results directory (its xml/ messages and its log) message by message
// and hands the estate rows to a sink.
#pragma once

#include <cstdint>
#include <string>

#include "EstateRows.h"

namespace nwk {

// Reads the last run's messages in <resultsDir>/xml/, in the order they were
// numbered, then <resultsDir>/nwk-discover.log and the records, into an
// EstateAssembler over `sink`. Files that cannot be read go to the sink as
// problems; false (with `error`) only when the directory holds neither.
// Job lists are read on two threads, at most about `aheadBytes` of their XML
// ahead of the rows handed on (the rows waiting take memory in proportion).
bool ReadEstate(const std::string& resultsDir, EstateSink& sink, std::string* error,
                std::uint64_t aheadBytes = std::uint64_t{512} << 20);

}  // namespace nwk
