// The one line reader every report parser uses: it walks report text one
// non-blank line at a time, dropping carriage returns (reports captured on
// Windows) and blanks at both ends, and knows where it is so
// that messages can name the report and line. It decides nothing about the
// lines it passes over: it tells its reporter, and the operation decides.
#pragma once

#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
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

// A report's text as the reader takes it: text in memory (tests, fuzz
// targets), or a report file, read in bounded chunks so that a report of any
// size costs a fixed buffer, and a file cut short while it is read is a read
// error, never a signal.
class ReportText {
 public:
  ReportText(std::string_view text) : m_text(text) {}
  ReportText(const std::string& text) : m_text(text) {}
  ReportText(const char* text) : m_text(text) {}
  static ReportText File(std::string path);

  bool isFile() const { return m_isFile; }
  std::string_view text() const { return m_text; }
  const std::string& path() const { return m_path; }
  // Empty unless reading the file failed (it could not be opened, a read
  // failed, or it ended before the size it had when opened).
  const std::string& readError() const { return m_readError; }
  void setReadError(std::string why) const { m_readError = std::move(why); }

 private:
  ReportText() = default;
  std::string_view m_text;
  std::string m_path;
  bool m_isFile = false;
  mutable std::string m_readError;  // the reader's finding; the fetcher reads it afterwards
};

class ReportReader {
 public:
  // Longer lines are passed over and reported: no report writes them.
  static constexpr size_t kMaxLineBytes = 4 << 20;
  // A file is read this much at a time.
  static constexpr size_t kChunkBytes = 1 << 20;

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
  // the lines of a resource printed in the usual order as printed. Only the
  // lines of the resource being read are kept aside for that.
  // `text` (and the text it refers to) must outlive the reader.
  // `reporter` (null: ScopedLineReporter::Current()) must outlive the reader.
  ReportReader(const ReportText& text, std::string name, Layout layout = Layout::kLines,
               LineReporter* reporter = nullptr);
  ~ReportReader();
  ReportReader(const ReportReader&) = delete;
  ReportReader& operator=(const ReportReader&) = delete;

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
  // A line as the parsers get it, with its number in the text.
  struct Line {
    std::string text;
    size_t number = 0;
  };

  bool NextRawLine(std::string_view* raw, size_t* length);
  void Fill();
  void FailRead(const std::string& why);
  bool ReadLine(Line* line);
  bool Take(Line* line);
  bool Deliver(Line& line, std::string* out);
  void HoldAttributesBeforeName();

  const ReportText* m_file = nullptr;  // the text when it is a file
  std::string m_name;
  LineReporter* m_reporter;
  Layout m_layout;
  const char* m_data = nullptr;  // the text, or the file's buffered bytes
  size_t m_pos = 0;              // next unread byte of m_data
  size_t m_end = 0;              // end of the bytes in m_data
  bool m_atEnd = true;           // nothing more to read than m_data holds
  size_t m_linesRead = 0;        // lines taken from the text so far
  size_t m_lineNumber = 0;       // of the line Next returned last
  // The line being read: its buffer is traded with the caller's string, so
  // reading a line allocates only when it is longer than any before it.
  Line m_line;
  // Reordering resources.
  std::deque<Line> m_ahead;  // lines read ahead, returned before the text's next
  std::vector<Line> m_held;  // the current resource's lines before its name
  bool m_sawType = false;
  bool m_startsResource = false;
  // File reading only.
  int m_fd = -1;
  std::unique_ptr<char[]> m_buffer;
  size_t m_capacity = 0;
  uint64_t m_expected = 0;  // the file's size when opened
  uint64_t m_read = 0;
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
