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

constexpr std::size_t kBlock = 1 << 17;  // read from the file this much at a time: it stays in cache

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

// A message is read once: its pages are given back when it is done, so a
// rebuild of a large directory reuses the same pages from file to file
// rather than filling the cache (and taking fresh pages) with all of them.
ReportXmlPull::~ReportXmlPull() {
  if (m_fd < 0) return;
  posix_fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED);
  close(m_fd);
}

bool ReportXmlPull::Open(const std::string& path) {
  m_path = path;
  m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) {
    m_error = path + ": cannot be read: " + std::error_code(errno, std::generic_category()).message();
    return false;
  }
  posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // read ahead further
  m_buffer.resize(kBlock);
  return true;
}

void ReportXmlPull::OpenText(std::string xml, const std::string& name) {
  m_path = name;
  m_buffer = std::move(xml);
  m_end = m_buffer.size();
  m_eof = true;
}

bool ReportXmlPull::Fail(const std::string& what) {
  if (m_error.empty()) m_error = m_path + ": line " + std::to_string(LineAt(m_pos)) + ": " + what;
  return false;
}

ReportXmlPull::Step ReportXmlPull::Stop(const std::string& what) {
  Fail(what);
  return kFailed;
}

// Counted only for an error message: the file is read again from its start.
std::size_t ReportXmlPull::LineAt(std::size_t offset) {
  if (m_fd < 0) return static_cast<std::size_t>(std::count(m_buffer.data(), m_buffer.data() + offset, '\n')) + 1;
  std::size_t left = m_dropped + offset, lines = 1;
  int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
  std::string block(kBlock, '\0');
  for (ssize_t n; fd >= 0 && left > 0 && (n = read(fd, block.data(), std::min(left, block.size()))) > 0;) {
    lines += static_cast<std::size_t>(std::count(block.data(), block.data() + n, '\n'));
    left -= static_cast<std::size_t>(n);
  }
  if (fd >= 0) close(fd);
  return lines;
}

// Moves what is not yet read to the front and reads more behind it, growing
// the buffer when one token fills it. False at the end of the file.
bool ReportXmlPull::Refill() {
  if (m_eof || m_fd < 0) return false;
  if (m_pos > 0) {
    m_dropped += m_pos;
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
    switch (TryToken()) {
      case kToken: return true;
      case kFailed: return false;
      case kPassed: break;
      case kMore:
        if (Refill()) break;
        if (!m_error.empty()) return false;
        if (m_pos == m_end) return AtEndOfFile();
        if (m_buffer[m_pos] == '<') return Fail("the document ends inside markup");
        if (Text(std::string_view(m_buffer.data() + m_pos, m_end - m_pos), m_end - m_pos, false) == kToken) return true;
        if (!m_error.empty()) return false;
    }
  }
}

bool ReportXmlPull::AtEndOfFile() {
  if (!m_open.empty()) return Fail("the document ends before </" + m_open.back() + ">");
  if (!m_rootSeen) return Fail("the document has no root element");
  return false;
}

// One token from the bytes at m_pos, when they hold all of it.
ReportXmlPull::Step ReportXmlPull::TryToken() {
  std::string_view ahead(m_buffer.data() + m_pos, m_end - m_pos);
  if (ahead.empty()) return kMore;
  if (ahead[0] != '<') {
    std::size_t lt = ahead.find('<');
    return lt == std::string_view::npos ? kMore : Text(ahead.substr(0, lt), lt, false);
  }
  if (ahead.size() < 2) return kMore;
  if (ahead[1] == '/') return EndTag(ahead);
  if (ahead[1] != '?' && ahead[1] != '!') return StartTag(ahead);
  return TryMarkup(ahead);
}

// Declarations, processing instructions, comments and CDATA sections.
ReportXmlPull::Step ReportXmlPull::TryMarkup(std::string_view ahead) {
  if (ahead[1] == '?') return PassOver(ahead, "<?", "?>");
  if (ahead.size() < 9) return kMore;  // "<![CDATA[" is the longest opening told apart
  if (ahead.compare(0, 4, "<!--") == 0) return PassOver(ahead, "<!--", "-->");
  if (ahead.compare(0, 9, "<![CDATA[") != 0) return Stop("a document type declaration is not accepted");
  std::size_t end = ahead.find("]]>", 9);
  if (end == std::string_view::npos) return kMore;
  return Text(ahead.substr(9, end - 9), end + 3, true);
}

ReportXmlPull::Step ReportXmlPull::PassOver(std::string_view ahead, std::string_view open, std::string_view close) {
  std::size_t end = ahead.find(close, open.size());
  if (end == std::string_view::npos) return kMore;
  m_pos += end + close.size();
  return kPassed;
}

// `text` (taking `consumed` bytes of the file): a kText inside the root;
// outside it only blanks may stand, and give no token.
ReportXmlPull::Step ReportXmlPull::Text(std::string_view text, std::size_t consumed, bool plain) {
  if (m_open.empty() && !AllBlank(text)) return Stop("text outside the root element");
  m_pos += consumed;
  if (m_open.empty()) return kPassed;
  m_text = text;
  m_textIsPlain = plain;
  m_token = kText;
  return kToken;
}

// A start tag: its name, then each attribute up to the quote that closes its
// value (a '>' inside a value does not end the tag). Plain loops: the spans
// are a few bytes, shorter than a library call pays off for.
ReportXmlPull::Step ReportXmlPull::StartTag(std::string_view ahead) {
  const char* p = ahead.data();
  const std::size_t size = ahead.size();
  std::size_t at = 1;
  while (at < size && !IsBlank(p[at]) && p[at] != '>' && p[at] != '/') ++at;
  if (at == size) return kMore;
  if (at == 1) return Stop("a tag without a name");
  std::string_view name(p + 1, at - 1);
  m_attributeCount = 0;
  for (;;) {
    while (at < size && IsBlank(p[at])) ++at;
    if (at + 1 >= size) return kMore;
    if (p[at] == '>' || (p[at] == '/' && p[at + 1] == '>')) break;
    std::size_t equals = at;
    while (equals < size && p[equals] != '=' && p[equals] != '>') ++equals;
    if (equals < size && p[equals] == '>') return Stop("an attribute without a value");
    std::size_t open = equals + 1;
    while (open < size && IsBlank(p[open])) ++open;
    if (open >= size) return kMore;
    if (p[open] != '"' && p[open] != '\'') return Stop("an attribute value without quotes");
    std::size_t close = open + 1;
    while (close < size && p[close] != p[open]) ++close;
    if (close == size) return kMore;
    std::size_t nameEnd = equals;
    while (nameEnd > at && IsBlank(p[nameEnd - 1])) --nameEnd;
    if (m_attributeCount < kMaxAttributes)
      m_attributes[m_attributeCount++] = {std::string_view(p + at, nameEnd - at), std::string_view(p + open + 1, close - open - 1)};
    at = close + 1;
  }
  if (m_open.empty() && m_rootSeen) return Stop("a second root element <" + std::string(name) + ">");
  m_rootSeen = true;
  m_closePending = p[at] == '/';
  m_open.emplace_back(name);
  m_name = m_open.back();
  m_token = kStart;
  m_pos += at + (m_closePending ? 2 : 1);
  return kToken;
}

ReportXmlPull::Step ReportXmlPull::EndTag(std::string_view ahead) {
  std::size_t close = ahead.find('>', 2);
  if (close == std::string_view::npos) return kMore;
  std::string_view name = ahead.substr(2, close - 2);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  if (m_open.empty() || name != m_open.back())
    return Stop("</" + std::string(name) + "> closes " + (m_open.empty() ? std::string("nothing") : "<" + m_open.back() + ">"));
  m_pos += close + 1;
  m_token = kEnd;
  m_name = m_open.back();
  m_popPending = true;
  return kToken;
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

// Line ends first: a carriage return written as "&#13;" is kept.
std::string_view ReportXmlPull::text() {
  std::string_view text = m_text;
  if (text.find('\r') != std::string_view::npos) {
    m_lineEnds.clear();
    for (std::size_t n = 0; n < text.size(); ++n) {
      if (text[n] != '\r') m_lineEnds += text[n];
      else if (n + 1 == text.size() || text[n + 1] != '\n') m_lineEnds += '\n';
    }
    text = m_lineEnds;
  }
  if (m_textIsPlain || text.find('&') == std::string_view::npos) return text;
  Decode(text, &m_decoded);
  return m_decoded;
}

bool ReportXmlPull::Attribute(std::string_view attribute, std::string_view* value) {
  for (std::size_t n = 0; n < m_attributeCount; ++n) {
    const Attr& a = m_attributes[n];
    if (a.name != attribute) continue;
    if (a.value.find('&') == std::string_view::npos) return *value = a.value, true;
    if (!Decode(a.value, &m_decoded)) return false;
    return *value = m_decoded, true;
  }
  return false;
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
  while (Next()) {
    if (m_token == kEnd && m_open.size() == depth) return true;
    if (m_token == kStart) return Fail("<" + m_open[depth - 1] + "> may hold text only");
    std::string_view piece = text();
    out->append(piece.data(), piece.size());
  }
  return false;
}

// The elements inside are only counted, not made tokens of: a job list is
// mostly passed over, and this is most of the time of reading it.
bool ReportXmlPull::Skip() {
  if (m_closePending) return Next();
  std::size_t depth = 1;
  while (depth > 0) {
    std::string_view ahead(m_buffer.data() + m_pos, m_end - m_pos);
    std::size_t lt = ahead.find('<');
    Step step = kMore;
    if (lt != std::string_view::npos) {
      m_pos += lt;
      step = SkipTag(ahead.substr(lt), &depth);
    } else {
      m_pos = m_end;  // text
    }
    if (step == kFailed) return false;
    if (step == kMore && !Refill()) return Fail("the document ends before </" + m_open.back() + ">");
  }
  m_token = kEnd;
  m_name = m_open.back();
  m_popPending = true;
  return true;
}

// Passes over the tag, comment, CDATA section or processing instruction at
// the start of `ahead`, counting `depth` up for a start tag, down for an end tag.
ReportXmlPull::Step ReportXmlPull::SkipTag(std::string_view ahead, std::size_t* depth) {
  if (ahead.size() < 2) return kMore;
  if (ahead[1] == '?' || ahead[1] == '!') {
    Step step = TryMarkup(ahead);
    return step == kToken ? kPassed : step;  // the text of a CDATA section is passed over too
  }
  for (std::size_t at = 1; at < ahead.size(); ++at) {
    char c = ahead[at];
    if (c == '"' || c == '\'') {
      for (++at; at < ahead.size() && ahead[at] != c;) ++at;
      if (at == ahead.size()) return kMore;
    } else if (c == '>') {
      if (ahead[1] == '/') --*depth;
      else if (ahead[at - 1] != '/') ++*depth;
      m_pos += at + 1;
      return kPassed;
    }
  }
  return kMore;
}

}  // namespace nwk
