// The one job context of the process.
#include "hx/JobContext.h"

namespace hx {

JobContext& JobContext::Current() {
  static JobContext context;
  return context;
}

}  // namespace hx
