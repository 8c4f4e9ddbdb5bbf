// The one line reader every report parser uses: it walks report text one
// non-blank line at a time, dropping carriage returns (reports captured on
// Windows) and blanks at both ends, and knows where it is so
// that messages can name the report and line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class ReportReader {
 public:
  // Longer lines are passed over with a log line: no report writes them.
  static constexpr size_t kMaxLineBytes = 4 << 20;

  // How the text is laid out.
  enum class Layout {
    kLines,      // lines in the order printed (mminfo reports, the locale file)
    kResources,  // nsradmin resources: the "name:" line comes first, see below
  };

  // With kResources, a resource that begins with a "type:" line is read with
  // its "name:" line first: the attributes printed between the two (an
  // alphabetical print puts "autostart:" or "clone pool:" there) come after
  // the resource's other lines, before the next "type:" line. Parsers that
  // start a record at "name:" so file them under the right record, and read
  // the lines of a resource printed in the usual order as printed. Nothing is
  // copied: those lines are read again from the text.
  ReportReader(std::string_view text, std::string name, Layout layout = Layout::kLines);

  // The next line that is not blank after trimming (and not over the
  // length limit); false at end of text.
  bool Next(std::string* line);
  // 1-based number of the line Next returned last (0 before the first).
  size_t lineNumber() const { return m_lineNumber; }
  const std::string& name() const { return m_name; }
  // "name:line", for messages.
  std::string Where() const;
  // True when the line Next returned last starts a resource: a "type:" line,
  // or, in a report that printed no "type:" line before it (a `show` of a few
  // attributes), a "name:" line.
  bool startsResource() const { return m_startsResource; }

 private:
  // A stretch of the text read line by line.
  struct Cursor {
    size_t pos = 0;
    size_t end = 0;
    size_t lineNumber = 0;  // of the line read last
    size_t lineStart = 0;   // where that line begins
  };

  bool ReadLine(Cursor& at, std::string* line, bool quiet);
  bool Deliver(size_t lineNumber, std::string* line);
  void HoldAttributesBeforeName();

  std::string_view m_text;
  std::string m_name;
  Layout m_layout;
  Cursor m_main;
  std::optional<Cursor> m_held;    // the current resource's lines before its name, not read yet
  std::optional<Cursor> m_replay;  // those lines being read, once the resource's other lines are
  size_t m_lineNumber = 0;
  bool m_sawType = false;
  bool m_startsResource = false;
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
