// CForeignHandlerNWK: construction, the operations that answer at once, and
// the status message the host server is told.
#include "handler/CForeignHandlerNWK.h"

#include <ctime>

#include "fields/ConfigFields.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "model/MessageBuild.h"

CForeignHandlerNWK::CForeignHandlerNWK() = default;
CForeignHandlerNWK::CForeignHandlerNWK(long long jobId) : CForeignHandlerBase(jobId) {}
CForeignHandlerNWK::~CForeignHandlerNWK() = default;

int CForeignHandlerNWK::DiscoverStoragePolicies(CNMessageBase*) { return 1; }
int CForeignHandlerNWK::RetrieveMetadata() { return 1; }
int CForeignHandlerNWK::DoRestore(CNMessageBase*) { return 1; }

FDC::DiscoveryError CForeignHandlerNWK::StatusMessage(long long failed, const std::string& text) const {
  using namespace configfields;  // NOLINT: the status message's vocabulary
  using msgbuild::Set;
  FDC::DiscoveryError status;
  Set(&status, kStatusTime, static_cast<long long>(time(nullptr)));
  Set(&status, kStatusFailed, failed);
  Set(&status, kStatusText, text);
  Set(&status, kStatusJob, GetJobId());
  Set(&status, kStatusHost, GetHostName());
  Set(&status, kStatusFixed, kStatusFixedValue);
  return status;
}
