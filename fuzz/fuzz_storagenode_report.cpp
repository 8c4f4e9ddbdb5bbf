// Fuzzes the storage node report parser over a map that already holds one
// client: every distinct name (in any case) becomes exactly one media server,
// and the client that was there keeps its name and its resources.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fetchers/CNWKStorageNodeFetcher.h"
#include "FuzzSupport.h"

namespace {

using NameSet = std::set<std::string, stringcomparator_caseinsensitive>;

const char* kKnownClient = "nwsrv01";

NWKClientMap MapWithOneClient() {
  NWKClientMap clients;
  NWKClientInfo& client = clients[kKnownClient];
  client.set_clientName(kKnownClient);
  client.get_policyList().emplace_back();
  return clients;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  NWKClientMap clients = MapWithOneClient();
  CNWKStorageNodeFetcher::ParseStorageNodeReport(text, &clients);

  NameSet names = fuzzsupport::NameValues<NameSet>(text);
  bool knownIsNode = names.count(kKnownClient) == 1;
  if (clients.size() != names.size() + (knownIsNode ? 0 : 1)) __builtin_trap();
  for (const auto& [key, client] : clients) {
    bool known = compareNoCase(key, kKnownClient) == 0;
    if (client.get_isMediaServer() != (!known || knownIsNode)) __builtin_trap();
    if (client.get_isMasterServer() || client.get_policyList().size() != (known ? 1u : 0u)) __builtin_trap();
    if (known ? client.get_clientName() != kKnownClient : compareNoCase(key, client.get_clientName()) != 0)
      __builtin_trap();
  }
  return 0;
}
