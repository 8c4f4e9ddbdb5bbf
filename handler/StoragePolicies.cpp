// Storage policies, the last stage of media discovery: a default policy that
// always exists, then one policy per NetWorker pool that lists devices, with a
// copy for each of those devices that leads to a library.
#include "fetchers/CNWKStoragePolicyInfoFetcher.h"
#include "handler/CForeignHandlerNWK.h"
#include "model/MessageBuild.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

void CForeignHandlerNWK::BuildDefaultSP(FDC::StoragePolicyList& list) {
  CNMessageBase* policy = msgbuild::Append<FDC::StoragePolicy>(&list, 4, 10);
  policy->setstring(1, 1, GenerateDefaultSPName());
  policy->setstring(2, 5, "EMC_Networker_Policy");
  policy->setstring(3, 9, "Primary Copy");
  policy->setstring(6, 15, "Primary Copy");
  policy->setint64(5, 14, 5);
  policy->setint64(4, 13, 1);
  policy->setint64(7, 19, 0);
  policy->setint64(8, 20, 0);
  policy->setstring(9, 21, GetTimeZoneDisplayNameA());
  std::string name = policy->getstring(1, 1);
  CNMessageBase* copy = NWKStoragePolicy::AppendCopy(policy, name, 1, "Primary Copy", "EMC Networker Primary Copy", 1);
  NWKStoragePolicy::AppendDataPath(copy, GenerateDefaultSPName(), "Primary Copy", GenerateLibraryName(),
                                   get_NWKServerName());
}

// A failed pool query leaves the policies read so far (often none): the
// default policy is written all the same. False when the list cannot be written.
bool CForeignHandlerNWK::BuildStoragePolicies() {
  FDC::StoragePolicyList list;
  list.setstring(1, 1, GenerateZonarName());
  list.setint64(5, 11, 0);
  BuildDefaultSP(list);
  CNWKStoragePolicyInfoFetcher pools;
  if (pools.FetchData(&m_storagePolicies))
    EvEvent().DebugLvl("DiscoverMedia", 0, "Collected [%d] storage policies successfully",
                    static_cast<int>(m_storagePolicies.size()));
  std::vector<CNMessageBase>* policies = list.getlistobject(4, 10, 0, 0, true);
  for (NWKStoragePolicy& pool : m_storagePolicies) {
    if (pool.get_libNames().empty()) continue;
    FDC::StoragePolicy policy;
    policy.setstring(2, 5, "Storage policy discovered from EMC NetWorker");
    policy.setstring(1, 1, pool.get_spName());
    policy.setstring(3, 9, pool.get_spName());
    policy.setint64(8, 20, 0);
    policy.setstring(9, 21, GetTimeZoneDisplayNameA());
    pool.BuildCopy(policy, m_drives);
    policies->push_back(std::move(policy));
  }
  return DumpXmlMsgToFile(&list, 0, false);
}
