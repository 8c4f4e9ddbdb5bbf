// The one line reader every report parser uses: it walks report text one
// non-blank line at a time, dropping carriage returns (reports captured on
// Windows) and blanks at both ends, and knows where it is so
// that messages can name the report and line.
#pragma once

#include <string>
#include <string_view>

class ReportReader {
 public:
  // Longer lines are passed over with a log line: no report writes them.
  static constexpr size_t kMaxLineBytes = 4 << 20;

  ReportReader(std::string_view text, std::string name);

  // The next line that is not blank after trimming (and not over the
  // length limit); false at end of text.
  bool Next(std::string* line);
  // 1-based number of the line Next returned last (0 before the first).
  size_t lineNumber() const { return m_lineNumber; }
  const std::string& name() const { return m_name; }
  // "name:line", for messages.
  std::string Where() const;

 private:
  std::string_view m_text;
  std::string m_name;
  size_t m_pos = 0;
  size_t m_lineNumber = 0;
};

// How the lines that continue a value printed over several lines are joined.
struct Continuation {
  const char* separator = "";          // put before each continuation line
  bool dropTrailingBackslash = false;  // lists wrapped with a '\' at the line end
};

// Appends the following lines to `value` (blanks and tabs trimmed from each)
// until one ends with ';', which is not kept. At the end of the report the
// value keeps what was read. True when the ';' was met.
bool ReadContinuedValue(ReportReader& reader, std::string* value, const Continuation& how);

// Drops blanks and carriage returns at both ends and nsradmin's prompt at the
// start, in place.
void NormalizeReportLine(std::string& line);
