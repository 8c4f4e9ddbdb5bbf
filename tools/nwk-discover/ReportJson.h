// summary.json: the report's figures for tools, one JSON object.
#pragma once

#include <string>

#include "ReportData.h"

namespace nwk {

std::string SummaryJson(const ReportSummary& summary);

}  // namespace nwk
