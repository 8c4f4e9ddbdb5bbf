// Group report: one record per "name:" (names that differ only in case are one
// record); "start time:", "schedule:" and "interval:" set its fields, a later
// line replacing an earlier one.
//
//                         name: UNIX_Daily;
//                   start time: "21:00";
//                     schedule: ;
//                     interval: 24:00;
#include "fetchers/CNWKGroupInfoFetcher.h"

#include "handler/ReportReader.h"
#include "handler/TextUtils.h"

void CNWKGroupInfoFetcher::ParseGroupReport(std::string_view text, NWKGroupMap* groups) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  NWKGroupInfo* current = nullptr;  // attributes before the first name are ignored
  std::string line;
  while (reader.Next(&line)) {
    if (HasPrefix(line, "name:")) {
      std::string name = CForeignHandlerNWK::GetAttributeValue(line, ':');
      current = &groups->emplace(name, NWKGroupInfo()).first->second;
      current->set_groupName(name);
    } else if (!current) {
      continue;
    } else if (HasPrefix(line, "start time:")) {
      current->set_startTime(CForeignHandlerNWK::GetAttributeValue(line, ':'));
    } else if (HasPrefix(line, "schedule:")) {
      current->set_overridenScheduleName(CForeignHandlerNWK::GetAttributeValue(line, ':'));
    } else if (HasPrefix(line, "interval:")) {
      current->set_backupInterval(StrToUnixTime(CForeignHandlerNWK::GetAttributeValue(line, ':')));
    }
  }
}

bool CNWKGroupInfoFetcher::_ParseData(void* context, const std::string& path) {
  ParseGroupReport(ReadReport(path), static_cast<NWKGroupMap*>(context));
  return true;
}
