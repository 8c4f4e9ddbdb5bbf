// ReportReader: line splitting shared by all report parsers.
#include "handler/ReportReader.h"

#include <utility>

#include "handler/TextUtils.h"
#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

bool IsTypeLine(const std::string& line) { return HasPrefix(line, "type:"); }
bool IsNameLine(const std::string& line) { return HasPrefix(line, "name:"); }

}  // namespace

ReportReader::ReportReader(std::string_view text, std::string name, Layout layout)
    : m_text(text), m_name(std::move(name)), m_layout(layout) {
  m_main.end = text.size();
}

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

// `quiet` while looking ahead: a line passed over is logged when it is read
// for good, once.
bool ReportReader::ReadLine(Cursor& at, std::string* line, bool quiet) {
  while (at.pos < at.end) {
    size_t end = m_text.find('\n', at.pos);
    if (end == std::string_view::npos || end > at.end) end = at.end;
    size_t length = end - at.pos;
    at.lineStart = at.pos;
    at.pos = end + 1;
    ++at.lineNumber;
    if (length > kMaxLineBytes) {  // no report line is this long: garbage, not data
      if (!quiet)
        EvEvent().Error("ReportReader", "%s:%zu: line of %zu bytes passed over (longer than %zu)", m_name.c_str(),
                        at.lineNumber, length, kMaxLineBytes);
      continue;
    }
    line->assign(m_text.substr(at.lineStart, length));
    NormalizeReportLine(*line);
    if (!line->empty()) return true;
  }
  line->clear();
  return false;
}

bool ReportReader::Next(std::string* line) {
  if (m_replay) {
    if (ReadLine(*m_replay, line, false)) return Deliver(m_replay->lineNumber, line);
    m_replay.reset();
  }
  if (!ReadLine(m_main, line, false)) {
    m_startsResource = false;
    if (!m_held) return false;
    m_replay = std::exchange(m_held, std::nullopt);
    return Next(line);
  }
  if (m_layout == Layout::kResources && IsTypeLine(*line)) {
    if (m_held) {  // the resource ends here: its held lines first, then this line again
      m_main.pos = m_main.lineStart;
      --m_main.lineNumber;
      m_replay = std::exchange(m_held, std::nullopt);
      return Next(line);
    }
    size_t typeLine = m_main.lineNumber;
    HoldAttributesBeforeName();
    return Deliver(typeLine, line);
  }
  return Deliver(m_main.lineNumber, line);
}

bool ReportReader::Deliver(size_t lineNumber, std::string* line) {
  m_lineNumber = lineNumber;
  bool type = m_layout == Layout::kResources && IsTypeLine(*line);
  m_startsResource = type || (m_layout == Layout::kResources && !m_sawType && IsNameLine(*line));
  m_sawType = m_sawType || type;
  return true;
}

// Called after a "type:" line: looks ahead for the resource's "name:" line.
// When other lines come first, the main cursor moves to the name line and
// those lines are held for the end of the resource. A resource without a name
// (the next "type:" line, or the end, comes first) is read as printed.
void ReportReader::HoldAttributesBeforeName() {
  Cursor scan = m_main;
  std::string line;
  bool before = false;
  while (ReadLine(scan, &line, true)) {
    if (IsTypeLine(line)) return;
    if (!IsNameLine(line)) {
      before = true;
      continue;
    }
    if (!before) return;
    m_held = Cursor{m_main.pos, scan.lineStart, m_main.lineNumber, m_main.pos};
    m_main.pos = scan.lineStart;
    m_main.lineNumber = scan.lineNumber - 1;
    return;
  }
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
