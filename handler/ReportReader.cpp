// ReportReader: line splitting shared by all report parsers.
#include "handler/ReportReader.h"

#include "hx/Log.h"
#include "hx/Strings.h"

ReportReader::ReportReader(std::string_view text, std::string name) : m_text(text), m_name(std::move(name)) {}

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
      EvEvent().Error("ReportReader", "%s: line of %zu bytes passed over (longer than %zu)", Where().c_str(), length,
                      kMaxLineBytes);
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
