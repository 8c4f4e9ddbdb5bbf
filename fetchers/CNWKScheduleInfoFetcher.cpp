// Schedule report. A monthly action is printed as a backslash on the
// "action:" line and the day actions on the following lines, the last ending
// in ';'; they are joined by single blanks.
//
//                         name: Month End Archive;
//                       period: Month;
//                       action: \ (then, on the next lines)
//  skip skip skip ... full;
#include "fetchers/CNWKScheduleInfoFetcher.h"

#include "handler/ReportReader.h"
#include "handler/TextUtils.h"
#include "hx/Log.h"

namespace {

// The whole action text of a monthly schedule, starting at its "action:" line.
std::string ReadMonthlyAction(ReportReader& reader, const std::string& line) {
  std::string value;
  if (line.back() != '\\') value = CForeignHandlerNWK::GetAttributeValue(line, ':');
  if (line.back() != ';') ReadContinuedValue(reader, &value, Continuation{" ", false});
  TrimInline(value, " ");
  return value;
}

}  // namespace

void CNWKScheduleInfoFetcher::ParseScheduleReport(std::string_view text, NWKScheduleMap* schedules) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  NWKScheduleInfo* current = nullptr;  // attributes before the first name are ignored
  std::string line;
  EvEvent log;
  while (reader.Next(&line)) {
    if (HasPrefix(line, "name:")) {
      std::string name = CForeignHandlerNWK::GetAttributeValue(line, ':');
      current = &schedules->emplace(name, NWKScheduleInfo()).first->second;
      current->set_scheduleName(name);
      log.DebugLvl("_ParseData", 5, "Discovering schedule [%s] ", name.c_str());
    } else if (!current) {
      continue;
    } else if (HasPrefix(line, "period:")) {
      current->set_schedulePeriod(CForeignHandlerNWK::GetAttributeValue(line, ':'));
    } else if (HasPrefix(line, "action:")) {
      current->get_scheduleAction().push_back(current->get_schedulePeriod() == "Month"
                                                  ? ReadMonthlyAction(reader, line)
                                                  : CForeignHandlerNWK::GetAttributeValue(line, ':'));
    }
  }
}

bool CNWKScheduleInfoFetcher::_ParseData(void* context, const std::string& path) {
  ParseScheduleReport(ReadReport(path), static_cast<NWKScheduleMap*>(context));
  return true;
}
