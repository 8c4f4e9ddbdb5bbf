// Text helpers of the handler.
#include "text/TextUtils.h"

#include <cctype>

#include "hx/Strings.h"

bool StartsWith(const std::string& s, const std::string& prefix) {
  size_t n = s.size() < prefix.size() ? s.size() : prefix.size();
  return s.compare(0, n, prefix, 0, n) == 0;
}

namespace {

// Reads one clock part the way atoi would, after dropping double quotes; at
// most two characters count.
unsigned int ClockPart(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c == '"') continue;
    if (digits.size() == 2) break;
    digits += c;
  }
  long long value = hx::LeadingInteger(digits);
  return value < 0 ? 0 : static_cast<unsigned int>(value);
}

}  // namespace

unsigned int StrToUnixTime(const std::string& s) {
  size_t colon = s.find(':');
  std::string hours = s.substr(0, colon);
  std::string minutes = colon == std::string::npos ? std::string() : s.substr(colon + 1);
  return ClockPart(hours) * 3600u + ClockPart(minutes) * 60u;
}

std::string UnixTimeToStr(unsigned int seconds) {
  return std::to_string(seconds / 3600) + ":" + std::to_string((seconds % 3600) / 60);
}

char _xtolower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

void FindReplace(std::string& s, std::string from, std::string to) {
  if (from.empty()) return;
  for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size())) {
    s.replace(pos, from.size(), to);
  }
}

bool HasPrefix(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
