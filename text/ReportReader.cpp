// ReportReader: line splitting shared by all report parsers.
#include "text/ReportReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "text/TextUtils.h"
#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

bool IsTypeLine(const std::string& line) { return HasPrefix(line, "type:"); }
bool IsNameLine(const std::string& line) { return HasPrefix(line, "name:"); }

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

ReportText ReportText::File(std::string path) {
  ReportText text;
  text.m_path = std::move(path);
  text.m_isFile = true;
  return text;
}

ReportReader::ReportReader(const ReportText& text, std::string name, Layout layout, LineReporter* reporter)
    : m_name(std::move(name)), m_reporter(reporter ? reporter : ScopedLineReporter::Current()), m_layout(layout) {
  if (!text.isFile()) {
    m_data = text.text().data();
    m_end = text.text().size();
    return;
  }
  m_file = &text;
  m_fd = ::open(text.path().c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (m_fd < 0 && errno == ENOENT) return;  // a report never written reads as empty, as before any run
  if (m_fd < 0 || fstat(m_fd, &info) != 0) {
    FailRead(std::string("cannot read: ") + std::strerror(errno));
    return;
  }
  m_expected = static_cast<uint64_t>(info.st_size);
  m_capacity = static_cast<size_t>(std::min<uint64_t>(kChunkBytes, m_expected + 1));  // +1: room to see the end
  m_buffer.reset(new char[m_capacity]);
  m_data = m_buffer.get();
  m_atEnd = false;
}

ReportReader::~ReportReader() {
  if (m_fd >= 0) ::close(m_fd);
}

// A report that cannot be read whole reads as what was read; the fetcher
// learns of it through the text's readError().
void ReportReader::FailRead(const std::string& why) {
  m_atEnd = true;
  m_file->setReadError(m_name + ": " + why);
  EvEvent().Error("ReportReader", "%s", m_file->readError().c_str());
}

// Keeps the unread part of a line at the front of the buffer and reads more
// after it, growing the buffer only when a line fills it.
void ReportReader::Fill() {
  size_t rest = m_end - m_pos;
  std::memmove(m_buffer.get(), m_buffer.get() + m_pos, rest);
  m_pos = 0;
  m_end = rest;
  if (m_end == m_capacity) {
    std::unique_ptr<char[]> larger(new char[m_capacity + kChunkBytes]);
    std::memcpy(larger.get(), m_buffer.get(), m_end);
    m_buffer = std::move(larger);
    m_capacity += kChunkBytes;
    m_data = m_buffer.get();
  }
  ssize_t n;
  do {
    n = ::read(m_fd, m_buffer.get() + m_end, m_capacity - m_end);
  } while (n < 0 && errno == EINTR);
  if (n > 0) {
    m_end += static_cast<size_t>(n);
    m_read += static_cast<uint64_t>(n);
  } else if (n < 0) {
    FailRead(std::string("read error after ") + std::to_string(m_read) + " bytes: " + std::strerror(errno));
  } else if (m_read < m_expected) {
    FailRead("read error: the report ended at byte " + std::to_string(m_read) + " of " + std::to_string(m_expected) +
             " (it shrank while it was read)");
  } else {
    m_atEnd = true;
  }
}

// The next line as it stands, without its line feed, and its length. A line
// too long to keep is read past: its length tells, its text is not kept.
bool ReportReader::NextRawLine(std::string_view* raw, size_t* length) {
  size_t skipped = 0;
  for (;;) {
    const char* start = m_data + m_pos;
    size_t rest = m_end - m_pos;
    if (const void* feed = rest ? std::memchr(start, '\n', rest) : nullptr) {
      size_t n = static_cast<size_t>(static_cast<const char*>(feed) - start);
      *raw = std::string_view(start, n);
      *length = skipped + n;
      m_pos += n + 1;
      return true;
    }
    if (m_atEnd) {
      if (rest == 0 && skipped == 0) return false;
      *raw = std::string_view(start, rest);
      *length = skipped + rest;
      m_pos = m_end;
      return true;
    }
    if (rest > kMaxLineBytes) {  // no need to keep what will be passed over
      skipped += rest;
      m_pos = m_end;
    }
    Fill();
  }
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

// The next line of the text that is not blank once normalized.
bool ReportReader::ReadLine(Line* line) {
  std::string_view raw;
  size_t length = 0;
  while (NextRawLine(&raw, &length)) {
    ++m_linesRead;
    if (length > kMaxLineBytes) {  // no report line is this long: garbage, not data
      m_reporter->PassedOver(m_name, m_linesRead,
                             "line of " + std::to_string(length) + " bytes passed over (longer than " +
                                 std::to_string(kMaxLineBytes) + ")");
      continue;
    }
    line->text.assign(raw);
    line->number = m_linesRead;
    NormalizeReportLine(line->text);
    if (!line->text.empty()) return true;
  }
  line->text.clear();
  return false;
}

// Lines read ahead come before the text's next.
bool ReportReader::Take(Line* line) {
  if (m_ahead.empty()) return ReadLine(line);
  *line = std::move(m_ahead.front());
  m_ahead.pop_front();
  return true;
}

bool ReportReader::Next(std::string* out) {
  Line& line = m_line;
  if (!Take(&line)) {
    m_startsResource = false;
    out->clear();
    if (m_held.empty()) return false;
    m_ahead.assign(std::make_move_iterator(m_held.begin()), std::make_move_iterator(m_held.end()));
    m_held.clear();
    return Next(out);
  }
  if (m_layout == Layout::kResources && IsTypeLine(line.text)) {
    if (!m_held.empty()) {  // the resource ends here: its held lines first, then this line again
      m_ahead.push_front(std::move(line));
      m_ahead.insert(m_ahead.begin(), std::make_move_iterator(m_held.begin()), std::make_move_iterator(m_held.end()));
      m_held.clear();
      return Next(out);
    }
    HoldAttributesBeforeName();
  }
  return Deliver(line, out);
}

bool ReportReader::Deliver(Line& line, std::string* out) {
  m_lineNumber = line.number;
  out->swap(line.text);
  bool type = m_layout == Layout::kResources && IsTypeLine(*out);
  m_startsResource = type || (m_layout == Layout::kResources && !m_sawType && IsNameLine(*out));
  m_sawType = m_sawType || type;
  return true;
}

// Called after a "type:" line: reads ahead to the resource's "name:" line.
// When other lines come first, they are held for the end of the resource and
// the name line is read next. A resource without a name (the next "type:"
// line, or the end, comes first) is read as printed.
void ReportReader::HoldAttributesBeforeName() {
  std::vector<Line> ahead;
  Line line;
  while (Take(&line)) {
    bool stop = IsTypeLine(line.text) || IsNameLine(line.text);
    ahead.push_back(std::move(line));
    if (stop) break;
  }
  if (ahead.size() > 1 && IsNameLine(ahead.back().text)) {
    m_ahead.push_front(std::move(ahead.back()));
    ahead.pop_back();
    m_held = std::move(ahead);
    return;
  }
  m_ahead.insert(m_ahead.begin(), std::make_move_iterator(ahead.begin()), std::make_move_iterator(ahead.end()));
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
