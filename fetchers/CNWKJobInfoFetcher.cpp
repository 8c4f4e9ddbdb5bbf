// Save set report: comma-separated rows in the column order of kColumns.
//
//   group,client,name,level,save time,size,...      (header, live runs only)
//   UNIX_Daily,lnxweb01,/,incr,1795124412,52428800,...,1431,A00003L5,...
#include "fetchers/CNWKJobInfoFetcher.h"

#include "text/ReportReader.h"
#include "hx/CommandLine.h"
#include "hx/Strings.h"

namespace {

enum Column { kGroup, kClient, kName, kLevel, kSaveTime, kSize, kCompleted, kFiles, kVolume };
constexpr size_t kMinColumns = kFiles + 1;
constexpr size_t kAllColumns = 12;

std::string_view TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Splits a row at its commas, each column trimmed of blanks. Save set names
// may hold commas: a row with more columns than asked for gives the surplus
// to the name, which is the one free-text column. The columns view `line`;
// both vectors are reused from row to row, so a row costs no allocation once
// they have grown.
void SplitRow(std::string_view line, std::vector<std::string_view>& raw, std::vector<std::string_view>& columns) {
  raw.clear();
  for (size_t start = 0;;) {
    size_t comma = line.find(',', start);
    raw.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  size_t surplus = raw.size() > kAllColumns ? raw.size() - kAllColumns : 0;
  columns.clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    std::string_view column = raw[i];
    if (i == kName && surplus > 0) {
      const char* end = raw[kName + surplus].data() + raw[kName + surplus].size();
      column = std::string_view(raw[kName].data(), static_cast<size_t>(end - raw[kName].data()));
      i += surplus;
    }
    columns.push_back(TrimBlanks(column));
  }
}

NWKJobInfo JobFromRow(const std::vector<std::string_view>& columns) {
  NWKJobInfo job;
  job.set_groupName(columns[kGroup]);
  job.set_clientName(columns[kClient]);
  job.set_contentFolder(columns[kName]);
  job.set_backupLevel(columns[kLevel]);
  job.set_backupTime(hx::LeadingInteger(columns[kSaveTime]));
  job.set_backupSize(hx::LeadingInteger(columns[kSize]));  // a size that does not parse is 0
  if (columns.size() > kVolume) job.set_media(columns[kVolume]);
  job.set_numberOfFiles(hx::LeadingInteger(columns[kFiles]));
  return job;
}

}  // namespace

std::string CNWKJobInfoFetcher::_GetCommandLine() {
  std::string command = MminfoCommandLine(std::string("-xc, -aocnt -r \"") + kColumns + "\"");
  // The group name is one word whatever it holds: quotes, blanks or $(...)
  // stay text for mminfo.
  if (!m_groupName.empty()) return command + " -q \"group=" + hx::EscapeForDoubleQuotes(m_groupName) + "\"";
  return command + " -q \"level=manual\"";
}

const char* CNWKJobInfoFetcher::_GetFileNameForData() const {
  m_dataFileName = m_groupName.empty() ? "tarn_jobs.txt"
                                       : "tarn_jobs_" + hx::SafeFileName(hx::ToLower(m_groupName)) + ".txt";
  return m_dataFileName.c_str();
}

void CNWKJobInfoFetcher::ParseJobReport(const ReportText& text, const std::string& groupName, bool skipHeader,
                                        std::vector<NWKJobInfo>* jobs) {
  ReportReader reader(text, groupName.empty() ? "tarn_jobs.txt" : "tarn_jobs_" + groupName + ".txt");
  std::string line;
  if (skipHeader) reader.Next(&line);
  std::vector<std::string_view> columns, raw;
  while (reader.Next(&line)) {
    SplitRow(line, raw, columns);
    if (groupName.empty() && !columns[kGroup].empty()) continue;  // a manual run keeps group-less rows only
    if (columns.size() < kMinColumns) continue;
    jobs->push_back(JobFromRow(columns));
  }
}

bool CNWKJobInfoFetcher::_ParseData(void* context, const std::string& path) {
  const ReportText report = ReadReport(path);
  ParseJobReport(report, m_groupName, !get_UseExistingFiles(), static_cast<std::vector<NWKJobInfo>*>(context));
  return report.readError().empty();
}
