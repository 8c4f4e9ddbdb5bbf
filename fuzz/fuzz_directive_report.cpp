// Fuzzes the directive report parser: every directive it records was named on
// a "name:" line, a flag is only set when its keyword is somewhere in the
// text, and reading the same report again changes nothing.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fetchers/CNWKDirectiveInfoFetcher.h"
#include "FuzzSupport.h"

namespace {

bool SameDirectives(const NWKDirectiveMap& a, const NWKDirectiveMap& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    if (ia->first != ib->first || ia->second.get_encryption() != ib->second.get_encryption() ||
        ia->second.get_compression() != ib->second.get_compression())
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  NWKDirectiveMap directives;
  CNWKDirectiveInfoFetcher::ParseDirectiveReport(text, &directives);

  std::set<std::string> names = fuzzsupport::NameValues(text);
  bool hasCompress = text.find("+compressasm") != std::string_view::npos;
  bool hasAes = text.find("+aes") != std::string_view::npos;
  for (const auto& [name, directive] : directives) {
    if (names.count(name) != 1) __builtin_trap();  // a directive nobody named
    if (directive.get_compression() && !hasCompress) __builtin_trap();
    if (directive.get_encryption() && !hasAes) __builtin_trap();
  }
  // Flags are only ever set, never cleared, so a second pass adds nothing.
  NWKDirectiveMap again = directives;
  CNWKDirectiveInfoFetcher::ParseDirectiveReport(text, &again);
  if (!SameDirectives(directives, again)) __builtin_trap();
  return 0;
}
