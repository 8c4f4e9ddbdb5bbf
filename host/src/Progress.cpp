// The process-wide progress sink.
#include "hx/Progress.h"

namespace hx {
namespace {
ProgressSink g_sink = nullptr;
}  // namespace

void SetProgressSink(ProgressSink sink) { g_sink = sink; }

void ReportProgress(const std::string& text, bool final) {
  if (g_sink) g_sink(text, final);
}

}  // namespace hx
