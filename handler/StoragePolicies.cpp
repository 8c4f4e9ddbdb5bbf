// Storage policies, the last stage of media discovery: a default policy that
// always exists, then one policy per NetWorker pool that lists devices, with a
// copy for each of those devices that leads to a library.
#include "fetchers/CNWKStoragePolicyInfoFetcher.h"
#include "fields/PolicyFields.h"
#include "handler/CForeignHandlerNWK.h"
#include "model/MessageBuild.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

using namespace msgbuild;     // NOLINT: the builders' vocabulary
using namespace policyfields;  // NOLINT: this stage builds storage policies only

void CForeignHandlerNWK::BuildDefaultSP(FDC::StoragePolicyList& list) {
  CNMessageBase* policy = Append<FDC::StoragePolicy>(&list, kPolicies);
  Set(policy, kPolicyName, GenerateDefaultSPName());
  Set(policy, kPolicyDescription, "EMC_Networker_Policy");
  Set(policy, kPolicyPrimaryCopy, "Primary Copy");
  Set(policy, kPolicyDefaultCopy, "Primary Copy");
  Set(policy, kPolicyDefaultFixed, 5);
  Set(policy, kPolicyDefaultFlag, 1);
  Set(policy, kPolicyDefaultZero, 0);
  Set(policy, kPolicyZero, 0);
  Set(policy, kPolicyTimeZone, GetTimeZoneDisplayNameA());
  std::string name = GetString(*policy, kPolicyName);
  CNMessageBase* copy = NWKStoragePolicy::AppendCopy(policy, name, 1, "Primary Copy", "EMC Networker Primary Copy", 1);
  NWKStoragePolicy::AppendDataPath(copy, GenerateDefaultSPName(), "Primary Copy", GenerateLibraryName(),
                                   get_NWKServerName());
}

// A failed pool query leaves the policies read so far (often none): the
// default policy is written all the same. False when the list cannot be written.
bool CForeignHandlerNWK::BuildStoragePolicies() {
  FDC::StoragePolicyList list;
  Set(&list, kListInstallation, GenerateZonarName());
  Set(&list, kListStatus, 0);
  BuildDefaultSP(list);
  CNWKStoragePolicyInfoFetcher pools;
  if (pools.FetchData(&m_storagePolicies))
    EvEvent().DebugLvl("DiscoverMedia", 0, "Collected [%d] storage policies successfully",
                    static_cast<int>(m_storagePolicies.size()));
  std::vector<CNMessageBase>* policies = list.getlistobject(kPolicies.i, kPolicies.t, 0, 0, true);
  for (NWKStoragePolicy& pool : m_storagePolicies) {
    if (pool.get_libNames().empty()) continue;
    FDC::StoragePolicy policy;
    Set(&policy, kPolicyDescription, "Storage policy discovered from EMC NetWorker");
    Set(&policy, kPolicyName, pool.get_spName());
    Set(&policy, kPolicyPrimaryCopy, pool.get_spName());
    Set(&policy, kPolicyZero, 0);
    Set(&policy, kPolicyTimeZone, GetTimeZoneDisplayNameA());
    pool.BuildCopy(policy, m_drives);
    policies->push_back(std::move(policy));
  }
  return DumpXmlMsgToFile(&list, 0, false);
}
