// report.html: one self-contained page (inline CSS and SVG, no script, no
// outside resource) that a migration engineer reads or prints.
#pragma once

#include <string>

#include "ReportData.h"

namespace nwk {

std::string ReportHtml(const ReportSummary& summary);

}  // namespace nwk
