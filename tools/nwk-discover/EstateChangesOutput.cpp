// Renders EstateChanges three ways; all three walk the same sorted list.
#include "EstateChangesOutput.h"

#include <map>

#include "ReportText.h"

namespace nwk {
namespace {

std::string Num(long long value) { return std::to_string(value); }

// Terminal text shows names as they are, but as valid UTF-8 without control bytes.
std::string Quoted(const std::string& text) { return "\"" + PlainText(text, false) + "\""; }

struct KindNames {
  const char* json;
  const char* title;
};

const KindNames& NamesOf(const std::string& kind) {
  static const std::map<std::string, KindNames> kNames = {
      {"client", {"clients", "Clients"}},
      {"resource", {"resources", "Resources"}},
      {"schedule policy", {"schedulePolicies", "Schedule policies"}},
      {"pool", {"pools", "Pools"}},
      {"medium", {"media", "Media"}},
  };
  return kNames.at(kind);
}

std::string JsonNames(const EstateChanges& changes, const std::string& kind, const char* what) {
  std::string out = "[";
  for (const RecordChange& c : changes.records)
    if (c.kind == kind && c.what == what) out += (out.size() > 1 ? ", " : "") + JsonString(c.key);
  return out + "]";
}

std::string JsonChanged(const EstateChanges& changes, const std::string& kind) {
  std::string out = "[";
  for (const RecordChange& c : changes.records) {
    if (c.kind != kind || c.what != "changed") continue;
    out += std::string(out.size() > 1 ? "," : "") + "\n      {\"name\": " + JsonString(c.key) + ", \"attributes\": [";
    for (std::size_t i = 0; i < c.attributes.size(); ++i)
      out += std::string(i ? ", " : "") + "{\"attribute\": " + JsonString(c.attributes[i].name) +
             ", \"old\": " + JsonString(c.attributes[i].oldValue) + ", \"new\": " + JsonString(c.attributes[i].newValue) + "}";
    out += "]}";
  }
  return out + (out.size() > 1 ? "\n    ]" : "]");
}

std::string DayText(const DayChange& d) {
  return "jobs " + Num(d.oldJobs) + " -> " + Num(d.newJobs) + " (" + (d.newJobs >= d.oldJobs ? "+" : "") +
         Num(d.newJobs - d.oldJobs) + "), bytes " + Num(d.oldBytes) + " -> " + Num(d.newBytes);
}

std::string HtmlTable(std::initializer_list<const char*> heads, const std::string& rows) {
  std::string out = "<table><tr>";
  for (const char* h : heads) out += std::string("<th>") + h + "</th>";
  return out + "</tr>\n" + rows + "</table>\n";
}

std::string HtmlCells(std::initializer_list<std::string> texts) {
  std::string out = "<tr>";
  for (const std::string& t : texts) out += "<td>" + HtmlEscape(t) + "</td>";
  return out + "</tr>\n";
}

std::string HtmlKind(const EstateChanges& changes, const std::string& kind) {
  std::string rows;
  for (const RecordChange& c : changes.records) {
    if (c.kind != kind) continue;
    if (c.attributes.empty()) rows += HtmlCells({c.key, c.what, "", "", ""});
    for (const AttributeChange& a : c.attributes) rows += HtmlCells({c.key, c.what, a.name, a.oldValue, a.newValue});
  }
  std::string title = std::string("<h2>") + NamesOf(kind).title + "</h2>\n";
  if (rows.empty()) return title + "<p>No change.</p>\n";
  return title + HtmlTable({"Name", "Change", "Attribute", "Old", "New"}, rows);
}

}  // namespace

std::string ChangesText(const EstateChanges& changes) {
  std::string out;
  for (const RecordChange& c : changes.records) {
    out += c.kind + " " + c.what + ": " + Quoted(c.key) + "\n";
    for (const AttributeChange& a : c.attributes)
      out += "  " + a.name + ": " + Quoted(a.oldValue) + " -> " + Quoted(a.newValue) + "\n";
  }
  for (const DayChange& d : changes.days) out += "day " + d.day + ": " + DayText(d) + "\n";
  return out;
}

std::string ChangesJson(const EstateChanges& changes) {
  std::string out = "{\n  \"differences\": " + Num(static_cast<long long>(changes.Count()));
  for (const std::string& kind : CompareKinds())
    out += ",\n  " + JsonString(NamesOf(kind).json) + ": {\n    \"added\": " + JsonNames(changes, kind, "added") +
           ",\n    \"removed\": " + JsonNames(changes, kind, "removed") + ",\n    \"changed\": " + JsonChanged(changes, kind) + "\n  }";
  out += ",\n  \"days\": [";
  for (std::size_t i = 0; i < changes.days.size(); ++i) {
    const DayChange& d = changes.days[i];
    out += std::string(i ? ",\n    " : "\n    ") + "{\"day\": " + JsonString(d.day) + ", \"oldJobs\": " + Num(d.oldJobs) +
           ", \"newJobs\": " + Num(d.newJobs) + ", \"oldBytes\": " + Num(d.oldBytes) + ", \"newBytes\": " + Num(d.newBytes) + "}";
  }
  return out + (changes.days.empty() ? "]" : "\n  ]") + "\n}\n";
}

std::string ChangesHtml(const EstateChanges& changes) {
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Changes since the previous run</title>"
      "<style>body{font-family:sans-serif;margin:0 auto;max-width:1200px;padding:0 16px}"
      "table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:2px 6px;text-align:left;overflow-wrap:anywhere}"
      "th{background:#eef}</style></head>\n<body>\n<h1>Changes since the previous run</h1>\n<p>" +
      Num(static_cast<long long>(changes.Count())) + " difference(s).</p>\n";
  for (const std::string& kind : CompareKinds()) out += HtmlKind(changes, kind);
  std::string rows;
  for (const DayChange& d : changes.days)
    rows += HtmlCells({d.day, Num(d.oldJobs), Num(d.newJobs), Num(d.oldBytes), Num(d.newBytes)});
  out += "<h2>Jobs and bytes per day</h2>\n";
  out += rows.empty() ? "<p>No change.</p>\n" : HtmlTable({"Day", "Old jobs", "New jobs", "Old bytes", "New bytes"}, rows);
  return out + "</body></html>\n";
}

}  // namespace nwk
