// Renders a ReportSummary as HTML. Every text from the data goes through
// HtmlEscape; tables wrap long names so the page never scrolls sideways.
#include "ReportHtml.h"

#include <algorithm>

#include "ReportText.h"

namespace nwk {
namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:0 auto;max-width:1200px;padding:0 16px;color:#222}"
    "h1{font-size:1.6em}h2{border-bottom:2px solid #357;color:#357;margin-top:1.6em}"
    "table{border-collapse:collapse;margin:.5em 0;max-width:100%}"
    "td,th{border:1px solid #bbb;padding:2px 6px;text-align:left;vertical-align:top;overflow-wrap:anywhere}"
    "th{background:#eef;overflow-wrap:normal}td.n{text-align:right}"
    ".src{color:#555;font-size:.9em}.ok{color:#060;font-weight:bold}.failed,.missing{color:#a00;font-weight:bold}"
    ".errors{color:#a50;font-weight:bold}.notice{border:2px solid #a50;padding:6px 10px;font-weight:bold}"
    "td.day{width:5.5em;text-align:center;font-size:.85em}td.on{background:#cde}"
    "ul.names{columns:3;overflow-wrap:anywhere}svg{width:100%;height:auto;border:1px solid #ccc}"
    "@media print{body{max-width:none}h2{break-after:avoid}table,svg{break-inside:avoid}}";

std::string Esc(const std::string& text) { return HtmlEscape(text); }
std::string Num(long long value) { return std::to_string(value); }

std::string Cell(const std::string& html, bool number = false) {
  return std::string(number ? "<td class=\"n\">" : "<td>") + html + "</td>";
}

std::string Row(std::initializer_list<std::string> cells) {
  std::string out = "<tr>";
  for (const std::string& c : cells) out += c;
  return out + "</tr>\n";
}

std::string Head(std::initializer_list<const char*> names) {
  std::string out = "<table><tr>";
  for (const char* n : names) out += std::string("<th>") + n + "</th>";
  return out + "</tr>\n";
}

// A long list is cut: the page stays light for an estate of ten thousand clients;
// summary.json keeps every name.
std::string NameList(const std::vector<std::string>& names) {
  constexpr std::size_t kShown = 200;
  if (names.empty()) return "<p>None.</p>\n";
  std::string out = "<ul class=\"names\">";
  for (std::size_t i = 0; i < names.size() && i < kShown; ++i) out += "<li>" + Esc(names[i]) + "</li>";
  out += "</ul>\n";
  if (names.size() > kShown) out += "<p>And " + Num(static_cast<long long>(names.size() - kShown)) + " more (see summary.json).</p>\n";
  return out;
}

std::string CountTable(const char* what, const std::map<std::string, long long>& counts) {
  std::string out = Head({what, "Count"});
  for (const auto& [key, value] : counts) out += Row({Cell(Esc(key)), Cell(Num(value), true)});
  return out + "</table>\n";
}

// How an operation ended, as a coloured label: ok, completed with errors,
// failed, or not run.
std::string Outcome(const ReportSummary& s, const std::string& op) {
  auto it = s.operations.find(op);
  if (it == s.operations.end()) return "<span class=\"missing\">not run</span>";
  const char* kind = it->second == "ok" ? "ok" : it->second == "failed" ? "failed" : "errors";
  return std::string("<span class=\"") + kind + "\">" + Esc(it->second) + "</span>";
}

// "Produced by <op>: ok" for every operation the section rests on.
std::string Source(const ReportSummary& s, std::initializer_list<const char*> ops) {
  std::string out = "<p class=\"src\">Produced by ";
  bool first = true;
  for (const char* op : ops) {
    out += std::string(first ? "" : ", ") + "operation <b>" + op + "</b>: " + Outcome(s, op);
    first = false;
  }
  return out + "</p>\n";
}

// Every operation of the run with the error lines it logged, so that an
// operation that succeeded with errors is not taken for a clean one.
std::string RunSection(const ReportSummary& s) {
  std::string out = "<h2>Run</h2>\n" + Head({"Operation", "Result", "Errors logged"});
  for (const std::string& op : s.operationOrder) {
    auto errors = s.operationErrors.find(op);
    std::string listed;
    if (errors != s.operationErrors.end()) {
      const OperationErrors& e = errors->second;
      listed = Num(e.count) + "<ul>";
      for (const std::string& line : e.lines) listed += "<li>" + Esc(line) + "</li>";
      listed += "</ul>";
      if (e.count > static_cast<long long>(e.lines.size())) listed += "The rest are in nwk-discover.log.";
    }
    out += Row({Cell(Esc(op)), Cell(Outcome(s, op)), Cell(listed)});
  }
  return out + "</table>\n";
}

// Where the server was questioned from, or where its reports were replayed from.
std::string Origin(const ReportSummary& s) {
  if (s.origin == "local") return "questioned from " + Esc(s.originHost) + " (local: the server its NetWorker tools answer for)";
  if (s.origin == "remote") return "questioned from " + Esc(s.originHost) + " with --server " + Esc(s.originServer);
  if (s.origin == "replay") return "reports replayed from " + Esc(s.originDataset);
  return "unknown (the log does not say)";
}

std::string ServerSection(const ReportSummary& s) {
  std::string out = "<h2>Server</h2>\n" + Source(s, {"config", "clients"}) + "<table>";
  out += Row({"<th>Server name</th>", Cell(Esc(s.serverName))});
  out += Row({"<th>NetWorker version</th>", Cell(Esc(s.serverVersion))});
  out += Row({"<th>Questioned</th>", Cell(Origin(s))});
  out += Row({"<th>Main media agent</th>", Cell(Esc(s.mainMediaAgent))});
  std::string source = s.dateFormatSource.empty() ? "unknown" : s.dateFormatSource;
  out += Row({"<th>Date format</th>", Cell(Esc(s.dateFormat) + " <span class=\"src\">(from " + source + ")</span>")});
  out += "</table>\n<h3>Client software versions</h3>\n" + CountTable("Version", s.clientVersions);
  return out;
}

std::string ClientsSection(const ReportSummary& s) {
  std::string out = "<h2>Clients</h2>\n" + Source(s, {"clients"});
  out += "<p>" + Num(s.clients) + " clients.</p>\n<h3>By operating system</h3>\n" + CountTable("Operating system", s.clientsByOs);
  out += "<h3>By application type</h3>\n" + CountTable("Application type", s.clientsByApp);
  out += "<h3>Resources under Other External Agent (need manual attention)</h3>\n" + NameList(s.otherAgentResources);
  out += "<p>Besides, " + Num(s.defaultManualResources) + " clients carry the default resource \"Manual\" under Other External Agent.</p>\n";
  out += "<h3>Storage nodes</h3>\n" + NameList(s.storageNodes);
  out += "<h3>Encryption and compression</h3>\n" + Head({"Subclients", "Compressed", "Encrypted"});
  out += Row({Cell(Num(s.subclients), true), Cell(Num(s.compressed), true), Cell(Num(s.encrypted), true)});
  return out + "</table>\n";
}

// One row per policy: seven day cells for weekly slots, then the monthly slots as text.
std::string ScheduleRow(const SchedulePolicyRow& p) {
  ScheduleCells cells = ScheduleText(p, "<br>");
  std::string out = "<tr>" + Cell(Esc(p.name)) + Cell(Num(static_cast<long long>(p.subclients.size())), true);
  for (const std::string& d : cells.days) out += std::string(d.empty() ? "<td class=\"day\">" : "<td class=\"day on\">") + d + "</td>";
  return out + Cell(cells.monthly) + "</tr>\n";
}

std::string SchedulesSection(const ReportSummary& s) {
  std::string out = "<h2>Schedules</h2>\n" + Source(s, {"schedule"});
  if (s.schedules.empty()) return out + "<p>No schedule policy.</p>\n";
  out += Head({"Policy", "Subclients", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Monthly (day of month)"});
  for (const SchedulePolicyRow& p : s.schedules) out += ScheduleRow(p);
  return out + "</table>\n<h3>Resources left without a schedule policy, and why</h3>\n" + NameList(s.skippedSchedules);
}

std::string StorageSection(const ReportSummary& s) {
  std::string out = "<h2>Storage</h2>\n" + Source(s, {"media"}) + Head({"Library", "Drives", "Media"});
  for (const LibrarySummary& l : s.libraries) out += Row({Cell(Esc(l.name)), Cell(Num(l.drives), true), Cell(Num(l.media), true)});
  out += "</table>\n" + Head({"Drives", "Media", "With retention", "Without retention", "Storage policies"});
  out += Row({Cell(Num(s.drives), true), Cell(Num(s.media), true), Cell(Num(s.mediaWithRetention), true),
              Cell(Num(s.media - s.mediaWithRetention), true), Cell(Num(s.storagePolicies), true)});
  return out + "</table>\n<h3>Pools that yielded no copy (none of their devices could be traced to a library;"
               " disk devices outside a jukebox have none)</h3>\n" + NameList(s.poolsWithoutCopies);
}

std::string Bytes(long long bytes) {
  static const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 5) value /= 1024, ++unit;
  long long tenths = static_cast<long long>(value * 10 + 0.5);
  return Num(tenths / 10) + "." + Num(tenths % 10) + " " + kUnits[unit];
}

// A bar chart of one figure per day; each bar carries its day and value as a tooltip.
std::string BarChart(const ReportSummary& s, bool bytes) {
  const double width = 1160, height = 160, offset = 16;  // room above the bars for the scale
  long long top = 1;
  for (const auto& [day, t] : s.days) top = std::max(top, bytes ? t.bytes : t.jobs);
  double step = width / static_cast<double>(std::max<std::size_t>(s.days.size(), 1));
  std::string out = "<svg viewBox=\"0 0 1160 196\" role=\"img\">";
  std::size_t n = 0;
  for (const auto& [day, t] : s.days) {
    long long v = bytes ? t.bytes : t.jobs;
    double h = std::clamp(height * static_cast<double>(v) / static_cast<double>(top), 0.0, height);
    out += "<rect x=\"" + Num(static_cast<long long>(step * n++)) + "\" y=\"" + Num(static_cast<long long>(offset + height - h)) +
           "\" width=\"" + Num(std::max(1LL, static_cast<long long>(step * 0.8))) + "\" height=\"" +
           Num(static_cast<long long>(h + 0.5)) + "\" fill=\"#469\"><title>" + Esc(day) + ": " +
           (bytes ? Bytes(v) : Num(v) + " jobs") + "</title></rect>";
  }
  out += "<text x=\"1160\" y=\"12\" font-size=\"12\" text-anchor=\"end\">highest: " + (bytes ? Bytes(top) : Num(top) + " jobs") + "</text>";
  if (!s.days.empty())
    out += "<text x=\"0\" y=\"192\" font-size=\"12\">" + Esc(s.days.begin()->first) + "</text><text x=\"1160\" y=\"192\" "
           "font-size=\"12\" text-anchor=\"end\">" + Esc(s.days.rbegin()->first) + "</text>";
  return out + "</svg>\n";
}

std::string HistorySection(const ReportSummary& s) {
  std::string out = "<h2>History</h2>\n" + Source(s, {"jobs"});
  out += "<p>" + Num(s.jobs) + " jobs, " + Bytes(s.bytes) + " over " + Num(static_cast<long long>(s.days.size())) + " days.</p>\n";
  out += "<h3>Jobs per day</h3>\n" + BarChart(s, false) + "<h3>Bytes per day</h3>\n" + BarChart(s, true);
  out += "<h3>Largest clients by bytes</h3>\n" + Head({"Client", "Bytes"});
  for (const auto& [client, bytes] : s.topClients) out += Row({Cell(Esc(client)), Cell(Bytes(bytes), true)});
  out += "</table>\n<p>Save sets dropped because their client or resource was not found: " + Num(s.droppedSaveSets) + ".</p>\n";
  return out;
}

std::string ProblemsSection(const ReportSummary& s) {
  if (s.problems.empty()) return "";
  return "<h2>Files that could not be read</h2>\n" + NameList(s.problems);
}

}  // namespace

std::string ReportHtml(const ReportSummary& s) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                    "<meta name=\"viewport\" content=\"width=device-width\"><title>Migration assessment: " +
                    Esc(s.serverName) + "</title><style>" + kStyle + "</style></head>\n<body>\n";
  out += "<h1>Migration assessment of server " + Esc(s.serverName) + "</h1>\n";
  if (!s.modelNotice.empty()) out += "<p class=\"notice\">" + Esc(s.modelNotice) + "</p>\n";
  out += RunSection(s) + ServerSection(s) + ClientsSection(s) + SchedulesSection(s) + StorageSection(s) + HistorySection(s) + ProblemsSection(s);
  return out + "</body></html>\n";
}

}  // namespace nwk
