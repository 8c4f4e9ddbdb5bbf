// CForeignHandlerNWK: construction, the operations that answer at once, and
// the status message the host server is told.
#include "handler/CForeignHandlerNWK.h"

#include <ctime>

#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

CForeignHandlerNWK::CForeignHandlerNWK() = default;
CForeignHandlerNWK::CForeignHandlerNWK(long long jobId) : CForeignHandlerBase(jobId) {}
CForeignHandlerNWK::~CForeignHandlerNWK() = default;

int CForeignHandlerNWK::DiscoverStoragePolicies(CNMessageBase*) { return 1; }
int CForeignHandlerNWK::RetrieveMetadata() { return 1; }
int CForeignHandlerNWK::DoRestore(CNMessageBase*) { return 1; }

FDC::DiscoveryError CForeignHandlerNWK::StatusMessage(long long failed, const std::string& text) const {
  FDC::DiscoveryError status;
  status.setint64(1, 1, static_cast<long long>(time(nullptr)));
  status.setint64(5, 8, failed);
  status.setstring(6, 9, text);
  status.setint64(2, 2, GetJobId());
  status.setstring(4, 4, GetHostName());
  status.setint64(3, 3, 9);
  return status;
}
