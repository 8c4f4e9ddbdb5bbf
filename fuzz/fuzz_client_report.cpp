// Fuzzes the client report parser together with the save set name maps it
// writes: every client has its "Manual" resource first, the server is learned
// at most once, and reading the same report a second time over the maps the
// first reading saved gives every resource the same subclient name.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fetchers/CNWKClientInfoFetcher.h"
#include "text/TextUtils.h"
#include "FuzzSupport.h"

namespace {

const char* kPresetServer = "nwsrv01";

const fuzzsupport::ScratchDir& Maps() {
  static const fuzzsupport::ScratchDir dir("client");
  return dir;
}

// A broken invariant: take the maps away with us, then stop where libFuzzer sees it.
[[noreturn]] void Fail() {
  Maps().Remove();
  __builtin_trap();
}

bool IsDefaultResource(const NWKPolicyInfo& policy) {
  const std::vector<std::string>& saveSets = policy.get_const_backuplistref();
  return policy.get_policyName() == "Manual" && policy.get_groupName().empty() && policy.get_appName() == "UNKNOWN" &&
         saveSets.size() == 1 && saveSets[0] == "All";
}

// A group name as the commit leaves it: one line, no blank or tab at either end.
bool IsGroupName(const std::string& name) {
  if (name.empty() || name.find('\n') != std::string::npos) return false;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return !blank(name.front()) && !blank(name.back());
}

bool IsSubclientName(const std::string& name) {
  if (!HasPrefix(name, "subclient") || name.size() == 9) return false;
  return name.find_first_not_of("0123456789", 9) == std::string::npos;
}

// The key the save set map files a resource under.
std::string MapKey(const NWKPolicyInfo& policy) {
  const std::vector<std::string>& saveSets = policy.get_const_backuplistref();
  return policy.get_groupName() + "_" + (saveSets.empty() ? "" : saveSets[0]);
}

// Within one client one key has one name and two keys never share one.
void CheckClient(const std::string& key, const NWKClientInfo& client, bool named) {
  if (compareNoCase(key, client.get_clientName()) != 0) Fail();
  const std::vector<NWKPolicyInfo>& policies = client.get_policyList();
  if (policies.empty() || !IsDefaultResource(policies[0])) Fail();
  std::map<std::string, std::string, stringcomparator_caseinsensitive> nameOfKey;
  std::set<std::string> used;
  for (size_t i = 1; i < policies.size(); ++i) {
    const NWKPolicyInfo& policy = policies[i];
    if (!IsGroupName(policy.get_groupName())) Fail();
    if (!named) {
      if (policy.get_policyName() != policy.get_groupName()) Fail();
      continue;
    }
    if (!IsSubclientName(policy.get_policyName())) Fail();
    auto [it, fresh] = nameOfKey.emplace(MapKey(policy), policy.get_policyName());
    if (fresh ? !used.insert(it->second).second : it->second != policy.get_policyName()) Fail();
  }
}

std::string ShortName(const std::string& name) { return name.substr(0, name.find('.')); }

// The server is learned once, from a client naming itself; the main media
// agent, when there is one, is a media server sharing the server's short name.
// A parse that knew its server still fails when a save set map cannot be
// saved (a client name too long for a file name): `ok` implies a known server,
// not the other way round.
void CheckServer(const NWKClientMap& clients, bool preset, bool ok) {
  std::string server = CForeignHandlerNWK::get_NWKServerName();
  bool known = !server.empty();
  if ((ok && !known) || (preset && server != kPresetServer)) Fail();
  size_t masters = 0, media = 0;
  for (const auto& entry : clients) {
    masters += entry.second.get_isMasterServer();
    media += entry.second.get_isMediaServer();
  }
  if (masters != (known && !preset ? 1u : 0u) || media != masters) Fail();
  if (masters == 1) {
    auto it = clients.find(server);
    if (it == clients.end() || !it->second.get_isMasterServer()) Fail();
  }
  std::string agent = CForeignHandlerNWK::get_NWKMAName();
  if (agent.empty()) return;
  auto it = clients.find(agent);
  if (it == clients.end() || it->second.get_clientName() != agent || !it->second.get_isMediaServer() ||
      ShortName(agent) != ShortName(server))
    Fail();
}

std::vector<std::string> PolicyNames(const NWKClientMap& clients) {
  std::vector<std::string> names;
  for (const auto& entry : clients)
    for (const NWKPolicyInfo& policy : entry.second.get_policyList()) names.push_back(policy.get_policyName());
  return names;
}

bool Parse(std::string_view text, const std::string& server, NWKClientMap* clients) {
  CForeignHandlerNWK::set_NWKServerName(server);
  CForeignHandlerNWK::set_NWKMAName("");
  return CNWKClientInfoFetcher::ParseClientReport(text, clients, Maps().path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 16)) return 0;  // every client writes a file: keep inputs small
  std::string_view text(reinterpret_cast<const char*>(data), size);
  bool preset = size > 0 && (data[0] & 1);
  std::string server = preset ? kPresetServer : "";

  NWKClientMap clients;
  bool ok = Parse(text, server, &clients);
  bool named = !CForeignHandlerNWK::get_NWKServerName().empty();
  CheckServer(clients, preset, ok);
  for (const auto& [key, client] : clients) CheckClient(key, client, named);

  if (ok) {
    NWKClientMap again;
    if (!Parse(text, server, &again) || PolicyNames(again) != PolicyNames(clients)) Fail();
  }
  size_t maps = Maps().Empty();
  if (!named && maps != 0) Fail();  // nothing is named, so nothing is saved
  CForeignHandlerNWK::set_NWKServerName("");
  CForeignHandlerNWK::set_NWKMAName("");
  return 0;
}
