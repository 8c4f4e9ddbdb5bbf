// Progress of long work, reported by the plug-in and shown by whoever runs the
// job (the runner prints it on its terminal). Without a sink nothing is shown.
#pragma once

#include <string>

namespace hx {

// `final` marks the last report of a stage (one line that stays); the others
// may be overwritten by the next report.
using ProgressSink = void (*)(const std::string& text, bool final);

void SetProgressSink(ProgressSink sink);
void ReportProgress(const std::string& text, bool final);

}  // namespace hx
