// The pull reader: a buffer refilled from the file as a token needs more, the
// open elements on a stack, entities replaced only in texts that hold one.
#include "ReportXmlPull.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

namespace nwk {
namespace {

constexpr std::size_t kBlock = 1 << 20;  // read from the file this much at a time

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool AllBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsBlank);
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character of a reference's name ("lt", "#60", "#x3C"); false when it names none.
bool Referenced(std::string_view name, char32_t* c) {
  static const struct {
    const char* name;
    char value;
  } kPredefined[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& entity : kPredefined)
    if (name == entity.name) return *c = static_cast<unsigned char>(entity.value), true;
  if (name.size() < 2 || name[0] != '#') return false;
  bool hex = name[1] == 'x';
  std::string_view digits = name.substr(hex ? 2 : 1);
  unsigned long value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value == 0 ||
      value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return false;
  *c = static_cast<char32_t>(value);
  return true;
}

}  // namespace

ReportXmlPull::~ReportXmlPull() {
  if (m_fd >= 0) close(m_fd);
}

bool ReportXmlPull::Open(const std::string& path) {
  m_path = path;
  m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) {
    m_error = path + ": cannot be read: " + std::error_code(errno, std::generic_category()).message();
    return false;
  }
  m_buffer.resize(kBlock);
  return true;
}

bool ReportXmlPull::Fail(const std::string& what) {
  if (m_error.empty()) m_error = m_path + ": line " + std::to_string(LineAt(m_pos)) + ": " + what;
  return false;
}

std::size_t ReportXmlPull::LineAt(std::size_t offset) const {
  return m_linesBefore + static_cast<std::size_t>(std::count(m_buffer.data(), m_buffer.data() + offset, '\n')) + 1;
}

// Moves what is not yet read to the front and reads more behind it, growing
// the buffer when one token fills it. False at the end of the file.
bool ReportXmlPull::Refill() {
  if (m_eof || m_fd < 0) return false;
  if (m_pos > 0) {
    m_linesBefore += static_cast<std::size_t>(std::count(m_buffer.data(), m_buffer.data() + m_pos, '\n'));
    std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
    m_end -= m_pos;
    m_pos = 0;
  }
  if (m_end == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
  ssize_t n;
  do n = read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
  while (n < 0 && errno == EINTR);
  if (n < 0) {
    m_eof = true;
    return Fail(std::string("cannot be read: ") + std::strerror(errno));
  }
  m_eof = n == 0;
  m_end += static_cast<std::size_t>(n);
  return n > 0;
}

// Where `what` starts, counted from m_pos, at or after `offset`; npos when
// the file ends first.
std::size_t ReportXmlPull::FindAhead(std::size_t offset, std::string_view what) {
  for (;;) {
    std::string_view data(m_buffer.data() + m_pos, m_end - m_pos);
    std::size_t at = data.find(what, offset);
    if (at != std::string_view::npos) return at;
    offset = data.size() >= what.size() ? std::max(offset, data.size() - what.size() + 1) : offset;
    if (!Refill()) return std::string_view::npos;
  }
}

// The '>' that ends the tag at m_pos, counted from m_pos: a '>' inside a quoted value does not.
std::size_t ReportXmlPull::TagEnd() {
  std::size_t scanned = 1;
  char quote = 0;
  for (;;) {
    std::size_t close = FindAhead(scanned, ">");
    if (close == std::string_view::npos) return close;
    for (; scanned < close; ++scanned) {
      char c = m_buffer[m_pos + scanned];
      if (quote ? c == quote : (c == '"' || c == '\'')) quote = quote ? 0 : c;
    }
    if (!quote) return close;
    scanned = close + 1;
  }
}

bool ReportXmlPull::PassOver(std::size_t skip, std::string_view end, const char* what) {
  std::size_t at = FindAhead(skip, end);
  if (at == std::string_view::npos) return Fail(std::string("the document ends inside ") + what);
  m_pos += at + end.size();
  return true;
}

bool ReportXmlPull::Next() {
  if (!m_error.empty()) return false;
  if (m_popPending) m_open.pop_back(), m_popPending = false;
  if (m_closePending) {
    m_closePending = false;
    m_token = kEnd;
    m_name = m_open.back();
    m_popPending = true;
    return true;
  }
  for (;;) {
    if (m_pos == m_end && !Refill()) return AtEndOfFile();
    if (m_buffer[m_pos] != '<') {
      std::size_t length = FindAhead(0, "<");
      if (length == std::string_view::npos) length = m_end - m_pos;
      if (TextToken(length, false)) return true;
      if (!m_error.empty()) return false;
      continue;
    }
    if (m_end - m_pos < 9) Refill();  // "<![CDATA[" is the longest opening looked at
    std::string_view ahead(m_buffer.data() + m_pos, m_end - m_pos);
    if (ahead.compare(0, 2, "<?") == 0) {
      if (!PassOver(2, "?>", "a processing instruction")) return false;
    } else if (ahead.compare(0, 4, "<!--") == 0) {
      if (!PassOver(4, "-->", "a comment")) return false;
    } else if (ahead.compare(0, 9, "<![CDATA[") == 0) {
      std::size_t end = FindAhead(9, "]]>");
      if (end == std::string_view::npos) return Fail("the document ends inside a CDATA section");
      m_pos += 9;
      if (TextToken(end - 9, true)) return m_pos += 3, true;
      if (!m_error.empty()) return false;
      m_pos += 3;
    } else if (ahead.compare(0, 2, "<!") == 0) {
      return Fail("a document type declaration is not accepted");
    } else {
      return ahead.compare(0, 2, "</") == 0 ? EndTag() : StartTag();
    }
  }
}

bool ReportXmlPull::AtEndOfFile() {
  if (!m_error.empty()) return false;
  if (!m_open.empty()) return Fail("the document ends before </" + m_open.back() + ">");
  if (!m_rootSeen) return Fail("the document has no root element");
  return false;
}

// A text of `length` bytes at m_pos: a kText inside the root; outside it only
// blanks may stand (false, nothing to give).
bool ReportXmlPull::TextToken(std::size_t length, bool raw) {
  m_raw = std::string_view(m_buffer.data() + m_pos, length);
  if (m_open.empty()) {
    if (!AllBlank(m_raw)) return Fail("text outside the root element");
    m_pos += length;
    return false;
  }
  m_pos += length;
  m_rawIsPlain = raw;
  m_token = kText;
  return true;
}

bool ReportXmlPull::StartTag() {
  std::size_t close = TagEnd();
  if (close == std::string_view::npos) return Fail("the document ends inside a tag");
  std::string_view tag(m_buffer.data() + m_pos + 1, close - 1);
  bool selfClosing = !tag.empty() && tag.back() == '/';
  if (selfClosing) tag.remove_suffix(1);
  std::size_t nameEnd = std::min(tag.size(), tag.find_first_of(" \t\r\n"));
  if (nameEnd == 0) return Fail("a tag without a name");
  if (m_open.empty() && m_rootSeen) return Fail("a second root element <" + std::string(tag.substr(0, nameEnd)) + ">");
  m_rootSeen = true;
  m_open.emplace_back(tag.substr(0, nameEnd));
  m_attributes = tag.substr(nameEnd);
  m_name = m_open.back();
  m_token = kStart;
  m_closePending = selfClosing;
  m_pos += close + 1;
  return true;
}

bool ReportXmlPull::EndTag() {
  std::size_t close = FindAhead(2, ">");
  if (close == std::string_view::npos) return Fail("the document ends inside a tag");
  std::string_view name(m_buffer.data() + m_pos + 2, close - 2);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  if (m_open.empty() || name != m_open.back())
    return Fail("</" + std::string(name) + "> closes " + (m_open.empty() ? std::string("nothing") : "<" + m_open.back() + ">"));
  m_pos += close + 1;
  m_token = kEnd;
  m_name = m_open.back();
  m_popPending = true;
  return true;
}

bool ReportXmlPull::Decode(std::string_view raw, std::string* out) {
  out->clear();
  for (std::size_t amp; (amp = raw.find('&')) != std::string_view::npos;) {
    out->append(raw.data(), amp);
    std::size_t semicolon = raw.find(';', amp);
    char32_t c = 0;
    if (semicolon == std::string_view::npos || !Referenced(raw.substr(amp + 1, semicolon - amp - 1), &c))
      return Fail("an unknown entity or a bare '&'");
    AppendUtf8(c, out);
    raw.remove_prefix(semicolon + 1);
  }
  out->append(raw.data(), raw.size());
  return true;
}

std::string_view ReportXmlPull::text() {
  if (m_rawIsPlain || m_raw.find('&') == std::string_view::npos) return m_raw;
  Decode(m_raw, &m_decoded);
  return m_decoded;
}

bool ReportXmlPull::Attribute(std::string_view attribute, std::string_view* value) {
  std::string_view rest = m_attributes;
  for (;;) {
    std::size_t start = rest.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    std::size_t equals = rest.find('=', start), open = rest.find_first_of("\"'", equals);
    if (equals == std::string_view::npos || open == std::string_view::npos) return false;
    std::size_t close = rest.find(rest[open], open + 1);
    if (close == std::string_view::npos) return false;
    std::string_view name = rest.substr(start, equals - start);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (name == attribute) {
      std::string_view raw = rest.substr(open + 1, close - open - 1);
      if (raw.find('&') == std::string_view::npos) return *value = raw, true;
      if (!Decode(raw, &m_decoded)) return false;
      return *value = m_decoded, true;
    }
    rest.remove_prefix(close + 1);
  }
}

int ReportXmlPull::IntAttribute(std::string_view attribute, int absent) {
  std::string_view text;
  int value = absent;
  if (!Attribute(attribute, &text)) return absent;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() ? value : absent;
}

bool ReportXmlPull::ReadText(std::string* out) {
  std::size_t depth = m_open.size();
  std::string element = m_open.back();
  while (Next()) {
    if (m_token == kEnd && m_open.size() == depth) return true;
    if (m_token == kStart) return Fail("<" + element + "> may hold text only");
    std::string_view piece = text();
    out->append(piece.data(), piece.size());
  }
  return false;
}

bool ReportXmlPull::Skip() {
  std::size_t depth = m_open.size();
  while (Next())
    if (m_token == kEnd && m_open.size() == depth) return true;
  return false;
}

}  // namespace nwk
