// The one line reader every report parser uses: it walks report text one
// non-blank line at a time, dropping carriage returns (reports captured on
// Windows) and blanks at both ends, and knows where it is so
// that messages can name the report and line. It decides nothing about the
// lines it passes over: it tells its reporter, and the operation decides.
#pragma once

#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Told of each report line a reader or parser passes over, with the reason.
class LineReporter {
 public:
  virtual ~LineReporter() = default;
  virtual void PassedOver(const std::string& report, size_t line, const std::string& reason) = 0;
};

// Writes one error line to the log per line passed over.
LineReporter* LogLineReporter();

// While one lives, readers made without a reporter (the report parsers make
// their own) tell `reporter`: an operation puts its own in place for the
// reports it reads. Without one, readers tell LogLineReporter(). Scopes nest.
class ScopedLineReporter {
 public:
  explicit ScopedLineReporter(LineReporter* reporter);
  ~ScopedLineReporter();
  ScopedLineReporter(const ScopedLineReporter&) = delete;
  ScopedLineReporter& operator=(const ScopedLineReporter&) = delete;
  // The innermost reporter in place, else LogLineReporter().
  static LineReporter* Current();

 private:
  LineReporter* m_previous;
};

class ReportReader {
 public:
  // Longer lines are passed over and reported: no report writes them.
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
  // `reporter` (null: ScopedLineReporter::Current()) must outlive the reader.
  ReportReader(std::string_view text, std::string name, Layout layout = Layout::kLines,
               LineReporter* reporter = nullptr);

  // The next line that is not blank after trimming (and not over the
  // length limit); false at end of text.
  bool Next(std::string* line);
  // 1-based number of the line Next returned last (0 before the first).
  size_t lineNumber() const { return m_lineNumber; }
  const std::string& name() const { return m_name; }
  // "name:line", for messages.
  std::string Where() const;
  // Reports the line Next returned last as passed over; `reason` says what
  // the line is and why ("line of 9 bytes passed over (...)").
  void PassOver(const std::string& reason) { m_reporter->PassedOver(m_name, m_lineNumber, reason); }
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
  LineReporter* m_reporter;
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

// The lines of a report file, normalised as above, blank ones kept; none when
// the file cannot be read.
void ReadReportLines(const std::string& path, std::vector<std::string>& lines);
// Up to `n` non-blank normalised lines from where `file` stands; true when
// none was left (or the file is not open).
bool ReadNonBlankLines(std::ifstream& file, std::vector<std::string>& lines, int n);
