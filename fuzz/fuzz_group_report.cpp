// Fuzzes the group report parser: each group was named on a "name:" line and
// keeps a name of its own key, values come out trimmed, the repeat interval
// stays within what "HH:MM" can say, and reading the report again changes nothing.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fetchers/CNWKGroupInfoFetcher.h"
#include "FuzzSupport.h"

namespace {

// An attribute value as the attribute cutter leaves it: one line, no blank or
// ';' at either end.
bool IsCutValue(const std::string& value) {
  if (value.find('\n') != std::string::npos) return false;
  if (value.empty()) return true;
  auto edge = [](char c) { return c == ' ' || c == ';'; };
  return !edge(value.front()) && !edge(value.back());
}

bool SameGroups(const NWKGroupMap& a, const NWKGroupMap& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    const NWKGroupInfo& x = ia->second;
    const NWKGroupInfo& y = ib->second;
    if (ia->first != ib->first || x.get_groupName() != y.get_groupName() || x.get_startTime() != y.get_startTime() ||
        x.get_overridenScheduleName() != y.get_overridenScheduleName() ||
        x.get_backupInterval() != y.get_backupInterval())
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  NWKGroupMap groups;
  CNWKGroupInfoFetcher::ParseGroupReport(text, &groups);

  const unsigned int kLongestInterval = 99 * 3600 + 99 * 60;  // two digits of hours and of minutes
  std::set<std::string> names = fuzzsupport::NameValues(text);
  for (const auto& [key, group] : groups) {
    if (names.count(key) != 1 || names.count(group.get_groupName()) != 1) __builtin_trap();
    if (compareNoCase(key, group.get_groupName()) != 0) __builtin_trap();
    if (!IsCutValue(group.get_startTime()) || !IsCutValue(group.get_overridenScheduleName())) __builtin_trap();
    if (group.get_backupInterval() > kLongestInterval) __builtin_trap();
  }
  // Every line replaces what it sets, so replaying the report gives the same map.
  NWKGroupMap again = groups;
  CNWKGroupInfoFetcher::ParseGroupReport(text, &again);
  if (!SameGroups(groups, again)) __builtin_trap();
  return 0;
}
