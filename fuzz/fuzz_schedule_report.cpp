// Fuzzes the schedule report parser: each schedule was named on a "name:" line
// and keeps a name of its own key, there are never more actions than "action:"
// lines, and every action (weekly or joined from several lines) comes out as
// one line without blanks at its ends.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fetchers/CNWKScheduleInfoFetcher.h"
#include "FuzzSupport.h"

namespace {

struct Lines {
  std::set<std::string> names;  // values of the "name:" lines
  size_t actions = 0;           // how many lines begin with "action:"
};

// What the report says, line by line as the reader sees it.
Lines Survey(std::string_view text) {
  Lines found;
  found.names = fuzzsupport::NameValues(text);
  fuzzsupport::ForEachLine(text, [&](const std::string& line) { found.actions += HasPrefix(line, "action:"); });
  return found;
}

bool IsOneTrimmedLine(const std::string& value) {
  if (value.find('\n') != std::string::npos) return false;
  return value.empty() || (value.front() != ' ' && value.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  NWKScheduleMap schedules;
  CNWKScheduleInfoFetcher::ParseScheduleReport(text, &schedules);

  Lines lines = Survey(text);
  size_t actions = 0;
  for (const auto& [key, schedule] : schedules) {
    if (lines.names.count(key) != 1 || lines.names.count(schedule.get_scheduleName()) != 1) __builtin_trap();
    if (compareNoCase(key, schedule.get_scheduleName()) != 0) __builtin_trap();
    if (!IsOneTrimmedLine(schedule.get_schedulePeriod())) __builtin_trap();
    for (const std::string& action : schedule.get_scheduleAction()) {
      if (!IsOneTrimmedLine(action)) __builtin_trap();
    }
    actions += schedule.get_scheduleAction().size();
  }
  if (actions > lines.actions) __builtin_trap();
  return 0;
}
