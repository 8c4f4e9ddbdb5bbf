// Client discovery: directives, groups, server, storage nodes and clients are
// fetched into the handler's maps, directives are applied to the resources
// that name them, and one host client tree per client goes into the
// App::ClientsList written for the host.
#include "fetchers/CNWKClientInfoFetcher.h"
#include "fetchers/CNWKDirectiveInfoFetcher.h"
#include "fetchers/CNWKGroupInfoFetcher.h"
#include "fetchers/CNWKServerInfoFetcher.h"
#include "fetchers/CNWKStorageNodeFetcher.h"
#include "fields/ClientFields.h"
#include "fields/RunRecords.h"
#include "handler/CForeignHandlerNWK.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "model/MessageBuild.h"

namespace {
const char* kFunc = "CForeignHandlerNWK::DiscoverClients";
}  // namespace

int CForeignHandlerNWK::DiscoverClients(CNMessageBase*) {
  ScopedLineReporter reporting(&m_records);
  EvEvent log;
  App::ClientsList list;
  list.Initialize();
  msgbuild::Set(&list, clientfields::kListStatus, 0);
  msgbuild::Set(&list, clientfields::kListKind, 7);
  if (!FetchClientInformation()) return 0;
  ApplyDirectives();
  bool status = true;
  for (auto& [key, client] : m_clients) {
    log.DebugLvl(kFunc, 4, "Building hierarchy for client [%s]", key.c_str());
    status = client.BuildClientHierarchy(&list);
  }
  // A list that could not be written is a failed discovery, whatever was built.
  if (status && !DumpXmlMsgToFile(&list, 0, false)) status = false;
  return status ? 1 : 0;
}

// Runs the fetchers in order; each must succeed. The directive fetch is the
// first contact with the server, so its failure is what tells the host that
// the NetWorker daemons are down.
bool CForeignHandlerNWK::FetchClientInformation() {
  EvEvent log;
  CNWKDirectiveInfoFetcher directives;
  if (!directives.FetchData(&m_directives)) {
    if (!m_offline && directives.get_execResult() == 1) ReportDaemonsDown();
    log.Error(kFunc, "Failed to fetch directive information");
    return false;
  }
  CNWKGroupInfoFetcher groups;
  if (!groups.FetchData(&m_groups)) {
    log.Error("DiscoverClients", "Fetching group information failed");
    return false;
  }
  CNWKServerInfoFetcher server;
  if (!server.FetchData(&m_clients)) {
    log.Error(kFunc, "Failed to fetch storage server node information");
    return false;
  }
  const ServerFacts& facts = ServerFacts::Current();
  if (!facts.serverName.empty())
    m_records.Add({records::kFact, records::kServerName, facts.serverName, CNWKServerInfoFetcher::kFileName});
  CNWKStorageNodeFetcher storageNodes;
  if (!storageNodes.FetchData(&m_clients)) {
    log.Error(kFunc, "Failed to fetch storage nodes information");
    return false;
  }
  CNWKClientInfoFetcher clients;
  clients.set_JobResultsDir(GetJobResultsDir() + "/" + std::to_string(GetResultsSubfolderNumber()));
  if (!clients.FetchData(&m_clients)) {
    log.Error(kFunc, "Failed to fetch client information");
    return false;
  }
  if (!facts.mainMediaAgent.empty())
    m_records.Add({records::kFact, records::kMainMediaAgent, facts.mainMediaAgent, CNWKClientInfoFetcher::kFileName});
  return true;
}

void CForeignHandlerNWK::ReportDaemonsDown() {
  FDC::DiscoveryError error = StatusMessage(1, "Daemons are not running");
  bool flag = false;
  CLmError sent = _SendMessage(&error, 0, flag, 600);
  if (sent.IsError())
    EvEvent().DebugJob(kFunc, GetJobId(), "UNABLE TO SEND SERVICES STATUS. Error [%d]-[%s]", sent.GetErrorCode(),
                       sent.AsString().c_str());
}

// A resource naming a directive the server does not have keeps its flags.
void CForeignHandlerNWK::ApplyDirectives() {
  for (auto& [key, client] : m_clients) {
    for (NWKPolicyInfo& policy : client.get_policyList()) {
      std::string name = policy.get_directiveName();
      if (name.empty()) continue;
      auto it = m_directives.find(name);
      if (it != m_directives.end()) policy._SetEncryptionAndCompression(it->second);
    }
  }
}
