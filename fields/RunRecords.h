// The structured records of a run: what the operations dropped, skipped or
// learnt, one record per line of <results>/records.tsv. The plug-in writes
// them, the runner's assessment report reads them; both use this header, so
// neither depends on the wording of a log line.
//
// A record is its kind, then its fields, separated by tabs; a tab, newline,
// carriage return or backslash inside a field is written \t, \n, \r or \\.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace records {

constexpr const char* kFileName = "records.tsv";

// fact <name> <value> <source>: a fact about the server and where it came from.
constexpr const char* kFact = "fact";
constexpr const char* kServerName = "server name";            // source: the report it was read from
constexpr const char* kMainMediaAgent = "main media agent";   // source: the client report
constexpr const char* kDateFormat = "date format";            // source: "file", "setting" or "default"
// dropped-save-set <client> <group> <save set> <reason>: a save set no job carries.
constexpr const char* kDroppedSaveSet = "dropped-save-set";
constexpr const char* kNoClient = "client not found";
constexpr const char* kNoResource = "resource not found";
// skipped-resource <client> <resource> <reason>: a resource given no schedule policy.
constexpr const char* kSkippedResource = "skipped-resource";
// resource-schedule <client> <resource> <schedule>: the schedule a resource
// runs on (its group's, when the group names one).
constexpr const char* kResourceSchedule = "resource-schedule";
// passed-over-line <report> <line number> <reason>: a report line no parser took.
constexpr const char* kPassedOverLine = "passed-over-line";
// media-without-retention <volume> <reason>: a medium sent without an expiry time.
constexpr const char* kMediaWithoutRetention = "media-without-retention";

inline std::string Encode(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t n = 0; n < fields.size(); ++n) {
    if (n > 0) line += '\t';
    for (char c : fields[n]) {
      switch (c) {
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\\': line += "\\\\"; break;
        default: line += c;
      }
    }
  }
  return line + '\n';
}

// The fields of one line (without its newline); a lone trailing backslash is kept.
inline std::vector<std::string> Decode(std::string_view line) {
  std::vector<std::string> fields(1);
  for (size_t n = 0; n < line.size(); ++n) {
    char c = line[n];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && n + 1 < line.size()) {
      char next = line[++n];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace records
