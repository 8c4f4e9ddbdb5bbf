// Writes a ReportSummary as JSON, keys in a fixed order so runs compare.
#include "ReportJson.h"

#include "ReportText.h"

namespace nwk {
namespace {

// Appends `"key": value` pairs with the commas between them.
class JsonObject {
 public:
  explicit JsonObject(std::string* out) : m_out(out) { *m_out += "{"; }
  void Raw(const char* key, const std::string& value) {
    *m_out += m_first ? "\n  " : ",\n  ";
    m_first = false;
    *m_out += JsonString(key) + ": " + value;
  }
  void Number(const char* key, long long value) { Raw(key, std::to_string(value)); }
  void Text(const char* key, const std::string& value) { Raw(key, JsonString(value)); }
  void Close() { *m_out += "\n}\n"; }

 private:
  std::string* m_out;
  bool m_first = true;
};

std::string Strings(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + JsonString(items[i]);
  return out + "]";
}

std::string Counts(const std::map<std::string, long long>& counts) {
  std::string out = "{";
  bool first = true;
  for (const auto& [key, value] : counts) {
    out += (first ? "" : ", ") + JsonString(key) + ": " + std::to_string(value);
    first = false;
  }
  return out + "}";
}

std::string Operations(const std::map<std::string, std::string>& operations) {
  std::string out = "{";
  bool first = true;
  for (const auto& [key, value] : operations) {
    out += (first ? "" : ", ") + JsonString(key) + ": " + JsonString(value);
    first = false;
  }
  return out + "}";
}

// {"jobs": {"count": 5, "lines": [...]}}: the lines are the first ones logged.
std::string Errors(const std::map<std::string, OperationErrors>& errors) {
  std::string out = "{";
  bool first = true;
  for (const auto& [key, value] : errors) {
    out += (first ? "" : ", ") + JsonString(key) + ": {\"count\": " + std::to_string(value.count) +
           ", \"lines\": " + Strings(value.lines) + "}";
    first = false;
  }
  return out + "}";
}

std::string Slot(const ScheduleSlot& slot) {
  std::string out = "{\"level\": " + std::to_string(slot.level) + ", \"monthly\": " + (slot.monthly ? "true" : "false");
  if (slot.monthly) out += ", \"dayOfMonth\": " + std::to_string(slot.dayOfMonth);
  else {
    out += ", \"days\": [";
    bool first = true;
    for (int d = 1; d <= 7; ++d)
      if (slot.weekDays & (1u << (d - 1))) {
        out += (first ? "" : ", ") + std::to_string(d);
        first = false;
      }
    out += "]";
  }
  return out + ", \"start\": " + std::to_string(slot.startSeconds) + "}";
}

std::string Schedules(const std::vector<SchedulePolicyRow>& policies) {
  std::string out = "[";
  for (std::size_t i = 0; i < policies.size(); ++i) {
    const SchedulePolicyRow& p = policies[i];
    out += std::string(i ? ",\n    " : "\n    ") + "{\"name\": " + JsonString(p.name) +
           ", \"subclients\": " + std::to_string(p.subclients.size()) + ", \"slots\": [";
    for (std::size_t k = 0; k < p.slots.size(); ++k) out += (k ? ", " : "") + Slot(p.slots[k]);
    out += "]}";
  }
  return out + (policies.empty() ? "]" : "\n  ]");
}

std::string Libraries(const std::vector<LibrarySummary>& libraries) {
  std::string out = "[";
  for (std::size_t i = 0; i < libraries.size(); ++i)
    out += std::string(i ? ", " : "") + "{\"name\": " + JsonString(libraries[i].name) +
           ", \"drives\": " + std::to_string(libraries[i].drives) + ", \"media\": " + std::to_string(libraries[i].media) + "}";
  return out + "]";
}

std::string Days(const std::map<std::string, DayTotal>& days) {
  std::string out = "[";
  bool first = true;
  for (const auto& [day, total] : days) {
    out += std::string(first ? "" : ", ") + "{\"day\": " + JsonString(day) + ", \"jobs\": " + std::to_string(total.jobs) +
           ", \"bytes\": " + std::to_string(total.bytes) + "}";
    first = false;
  }
  return out + "]";
}

std::string TopClients(const std::vector<std::pair<std::string, long long>>& clients) {
  std::string out = "[";
  for (std::size_t i = 0; i < clients.size(); ++i)
    out += std::string(i ? ", " : "") + "{\"client\": " + JsonString(clients[i].first) +
           ", \"bytes\": " + std::to_string(clients[i].second) + "}";
  return out + "]";
}

}  // namespace

std::string SummaryJson(const ReportSummary& s) {
  std::string out;
  JsonObject o(&out);
  o.Raw("operations", Operations(s.operations));
  o.Raw("operationErrors", Errors(s.operationErrors));
  o.Raw("problems", Strings(s.problems));
  o.Text("serverVersion", s.serverVersion);
  o.Text("modelNotice", s.modelNotice);
  o.Text("questionedFrom", s.origin);
  o.Text("questionedHost", s.originHost);
  o.Text("questionedServer", s.originServer);
  o.Text("replayedDataset", s.originDataset);
  o.Text("serverName", s.serverName);
  o.Text("mainMediaAgent", s.mainMediaAgent);
  o.Text("dateFormat", s.dateFormat);
  o.Text("dateFormatSource", s.dateFormatSource);
  o.Raw("clientVersions", Counts(s.clientVersions));
  o.Number("clients", s.clients);
  o.Raw("clientsByOs", Counts(s.clientsByOs));
  o.Raw("clientsByApplication", Counts(s.clientsByApp));
  o.Raw("otherAgentResources", Strings(s.otherAgentResources));
  o.Number("defaultManualResources", s.defaultManualResources);
  o.Raw("storageNodes", Strings(s.storageNodes));
  o.Number("subclients", s.subclients);
  o.Number("subclientsCompressed", s.compressed);
  o.Number("subclientsEncrypted", s.encrypted);
  o.Raw("schedules", Schedules(s.schedules));
  o.Raw("skippedSchedules", Strings(s.skippedSchedules));
  o.Raw("libraries", Libraries(s.libraries));
  o.Number("drives", s.drives);
  o.Number("media", s.media);
  o.Number("mediaWithRetention", s.mediaWithRetention);
  o.Number("mediaWithoutRetention", s.media - s.mediaWithRetention);
  o.Number("storagePolicies", s.storagePolicies);
  o.Raw("poolsWithoutCopies", Strings(s.poolsWithoutCopies));
  o.Number("jobs", s.jobs);
  o.Number("bytes", s.bytes);
  o.Raw("days", Days(s.days));
  o.Raw("topClients", TopClients(s.topClients));
  o.Number("droppedSaveSets", s.droppedSaveSets);
  o.Close();
  return out;
}

}  // namespace nwk
