// Fuzzes the server report parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fetchers/CNWKServerInfoFetcher.h"
#include "model/ServerFacts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  NWKClientMap clients;
  std::string name = CNWKServerInfoFetcher::ParseServerReport(
      std::string_view(reinterpret_cast<const char*>(data), size), &clients);
  if (!name.empty() && clients.count(name) != 1) __builtin_trap();
  ServerFacts::Current() = ServerFacts();
  return 0;
}
