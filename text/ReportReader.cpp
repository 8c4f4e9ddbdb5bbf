// ReportReader: line splitting shared by all report parsers.
#include "text/ReportReader.h"

#include <fstream>

#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

class LogReporter : public LineReporter {
 public:
  void PassedOver(const std::string& report, size_t line, const std::string& reason) override {
    EvEvent().Error("ReportReader", "%s:%zu: %s", report.c_str(), line, reason.c_str());
  }
};

thread_local LineReporter* t_scoped = nullptr;

}  // namespace

LineReporter* LogLineReporter() {
  static LogReporter reporter;
  return &reporter;
}

ScopedLineReporter::ScopedLineReporter(LineReporter* reporter) : m_previous(t_scoped) { t_scoped = reporter; }
ScopedLineReporter::~ScopedLineReporter() { t_scoped = m_previous; }
LineReporter* ScopedLineReporter::Current() { return t_scoped ? t_scoped : LogLineReporter(); }

ReportReader::ReportReader(std::string_view text, std::string name, LineReporter* reporter)
    : m_text(text), m_name(std::move(name)), m_reporter(reporter ? reporter : ScopedLineReporter::Current()) {}

// Carriage returns go with the blanks: a report captured on Windows ends its
// lines in CR, and one saved twice may end them in CR CR or CR blank. The
// "nsradmin>" prompt that nsradmin prints before the first resource (and at
// the end) is no part of the report.
void NormalizeReportLine(std::string& line) {
  TrimInline(line, " \r");
  constexpr std::string_view kPrompt = "nsradmin>";
  while (std::string_view(line).substr(0, kPrompt.size()) == kPrompt) {
    line.erase(0, kPrompt.size());
    TrimInline(line, " \r");
  }
}

bool ReportReader::Next(std::string* line) {
  while (m_pos < m_text.size()) {
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_text.size();
    size_t length = end - m_pos;
    m_pos = end + 1;
    ++m_lineNumber;
    if (length > kMaxLineBytes) {  // no report line is this long: garbage, not data
      PassOver("line of " + std::to_string(length) + " bytes passed over (longer than " + std::to_string(kMaxLineBytes) +
               ")");
      continue;
    }
    line->assign(m_text.substr(end - length, length));
    NormalizeReportLine(*line);
    if (!line->empty()) return true;
  }
  line->clear();
  return false;
}

std::string ReportReader::Where() const { return m_name + ":" + std::to_string(m_lineNumber); }

bool ReadContinuedValue(ReportReader& reader, std::string* value, const Continuation& how) {
  std::string line;
  while (reader.Next(&line)) {
    TrimInline(line, " \t\r");
    if (how.dropTrailingBackslash && !line.empty() && line.back() == '\\') line.pop_back();
    bool last = !line.empty() && line.back() == ';';
    if (last) line.pop_back();
    value->append(how.separator).append(line);
    if (last) return true;
  }
  return false;
}

void ReadReportLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    NormalizeReportLine(line);
    lines.push_back(line);
  }
}

bool ReadNonBlankLines(std::ifstream& file, std::vector<std::string>& lines, int n) {
  lines.clear();
  std::string line;
  while (static_cast<int>(lines.size()) < n && file.is_open() && std::getline(file, line)) {
    NormalizeReportLine(line);
    if (!line.empty()) lines.push_back(line);
  }
  return lines.empty();
}
