// The message XML writer: one pass over each string, straight into the buffer.
// What libxml2's text writer does, and so what this writer does: element text
// escapes < > & " and CR (as &#13;); attribute values also escape tab and
// newline (&#9; &#10;); UTF-8 passes through as is; the document ends in a newline.
#include "MessageXmlWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "XmlCommon.h"
#include "hx/XmlForm.h"

namespace hx {
using namespace xmlcommon;
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// What a byte needs on its way into the document.
enum ByteClass : unsigned char { kPlain, kEntity, kBad, kHigh };

struct ByteTable {
  ByteClass of[256];
};

constexpr ByteTable MakeByteTable(bool attribute) {
  ByteTable table{};
  for (int b = 0; b < 256; ++b) {
    bool control = b < 0x20 && b != '\t' && b != '\n' && b != '\r';
    table.of[b] = b >= 0x80 ? kHigh : control ? kBad : kPlain;
  }
  for (unsigned char c : {'<', '>', '&', '"', '\r'}) table.of[c] = kEntity;
  if (attribute) table.of[static_cast<unsigned char>('\t')] = table.of[static_cast<unsigned char>('\n')] = kEntity;
  return table;
}

constexpr ByteTable kTextBytes = MakeByteTable(false);
constexpr ByteTable kAttributeBytes = MakeByteTable(true);

std::string_view EntityOf(unsigned char c) {
  switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '"': return "&quot;";
    case '\r': return "&#13;";
    case '\t': return "&#9;";
    default: return "&#10;";  // '\n', in attributes only
  }
}

// The longest expansion of one input byte ("&quot;"), and the most a UTF-8
// sequence begun just before the end of a piece adds past it (three more bytes,
// each replaced).
constexpr std::size_t kMaxGrowth = 6;
constexpr std::size_t kSequenceTail = 3 * kReplacement.size();
// Long strings are escaped in pieces of this many bytes, so the buffer stays near kFlushSize.
constexpr std::size_t kPiece = 64 * 1024;

inline char* Copy(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// Escapes text[*at, to) into `out` (room for kMaxGrowth per byte plus kSequenceTail)
// and answers the end of what it wrote; a UTF-8 sequence begun before `to` is
// finished. Each byte of invalid UTF-8, of a control character XML does not allow
// and of U+FFFE or U+FFFF becomes U+FFFD, as CleanXmlText does.
char* EscapePiece(const ByteTable& table, std::string_view text, std::size_t* at, std::size_t to, char* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = *at;
  while (i < to) {
    std::size_t start = i;
    while (i < to && table.of[bytes[i]] == kPlain) ++i;  // the fast path: clean ASCII
    out = Copy(out, text.substr(start, i - start));
    if (i == to) break;
    switch (table.of[bytes[i]]) {
      case kEntity:
        out = Copy(out, EntityOf(bytes[i++]));
        break;
      case kBad:
        out = Copy(out, kReplacement);
        ++i;
        break;
      default: {
        char32_t codePoint = 0;
        std::size_t length = DecodeUtf8(text.substr(i), &codePoint);
        if (length > 0 && AllowedInXml(codePoint)) {
          out = Copy(out, text.substr(i, length));
        } else {
          length = length == 0 ? 1 : length;  // one replacement per bad byte
          for (std::size_t k = 0; k < length; ++k) out = Copy(out, kReplacement);
        }
        i += length;
      }
    }
  }
  *at = i;
  return out;
}

}  // namespace

// The string's own storage is written into: a caller that writes document after
// document into one string reuses its memory rather than faulting in new pages.
MessageXmlWriter::MessageXmlWriter(std::string* out) : out_(out) {
  buffer_.swap(*out);
  buffer_.resize(buffer_.capacity());
}
MessageXmlWriter::MessageXmlWriter(int fd) : fd_(fd) {}

bool MessageXmlWriter::Write(const CNMessageBase& msg, std::string* error) {
  Put(kDeclaration);
  if (!WriteMessage(msg, nullptr, 0, 0, error)) return false;
  Put("\n");
  if (!Flush()) return SetError(error, "write failed");
  if (out_) {
    buffer_.resize(used_);
    out_->swap(buffer_);
  }
  return true;
}

bool MessageXmlWriter::WriteMessage(const CNMessageBase& msg, const MessageField* asField, int indent, int depth,
                                    std::string* error) {
  if (depth > kMaxMessageDepth) {
    return SetError(error, "messages nest deeper than " + Number(kMaxMessageDepth) + " levels");
  }
  if (writeErrno_ != 0) return SetError(error, "write failed");  // no use going on
  Put("<msg");
  if (msg.className()) {
    Put(" class=\"");
    PutEscaped(msg.className(), true);
    Put("\"");
  }
  if (asField) {
    Put(" i=\"");
    PutNumber(asField->index());
    Put("\" t=\"");
    PutNumber(asField->tag());
    Put("\"");
  }
  Put(" module=\"");
  PutNumber(msg.module());
  Put("\" type=\"");
  PutNumber(msg.type());
  if (msg.fieldCount() == 0) {
    Put("\"/>");
    return true;
  }
  Put("\">");
  for (std::size_t n = 0; n < msg.fieldCount(); ++n) {
    PutIndent(indent + 1);
    if (!WriteField(msg.field(n), indent + 1, depth, error)) return false;
  }
  PutIndent(indent);
  Put("</msg>");
  return true;
}

bool MessageXmlWriter::WriteField(const MessageField& field, int indent, int depth, std::string* error) {
  switch (field.kind()) {
    case FieldKind::kInt64:
      FieldStart("<int64 i=\"", field);
      Put(">");
      PutNumber(field.int64Value());
      Put("</int64>");
      return true;
    case FieldKind::kString:
      FieldStart("<string i=\"", field);
      Put(">");
      PutEscaped(field.stringValue(), false);
      Put("</string>");
      return true;
    case FieldKind::kIntList:
      WriteNumberList("<intlist i=\"", "</intlist>", *field.intList(), field);
      return true;
    case FieldKind::kULongList:
      WriteNumberList("<ulonglist i=\"", "</ulonglist>", *field.ulongList(), field);
      return true;
    case FieldKind::kMessage:
      return WriteMessage(*field.message(), &field, indent, depth + 1, error);
    case FieldKind::kMessageList:
      return WriteMessageList(field, indent, depth, error);
  }
  return true;
}

bool MessageXmlWriter::WriteMessageList(const MessageField& field, int indent, int depth, std::string* error) {
  FieldStart("<list i=\"", field);
  const std::vector<CNMessageBase>& list = *field.messageList();
  if (list.empty()) {
    Put("/>");
    return true;
  }
  Put(">");
  for (const CNMessageBase& element : list) {
    PutIndent(indent + 1);
    if (!WriteMessage(element, nullptr, indent + 1, depth + 1, error)) return false;
  }
  PutIndent(indent);
  Put("</list>");
  return true;
}

template <typename T, std::size_t N, std::size_t M>
void MessageXmlWriter::WriteNumberList(const char (&open)[N], const char (&close)[M], const std::vector<T>& list,
                                       const MessageField& field) {
  FieldStart(open, field);
  if (list.empty()) {
    Put("/>");
    return;
  }
  Put(">");
  for (T value : list) {
    Put("<v>");
    PutNumber(value);
    Put("</v>");
  }
  Put(close);
}

template <std::size_t N>
void MessageXmlWriter::FieldStart(const char (&open)[N], const MessageField& field) {
  Put(open);
  PutNumber(field.index());
  Put("\" t=\"");
  PutNumber(field.tag());
  Put("\"");
}

// --- The buffer ---

char* MessageXmlWriter::Reserve(std::size_t bytes) {
  if (buffer_.size() - used_ < bytes) Grow(bytes);
  return buffer_.data() + used_;
}

// A file's buffer doubles up to kFlushSize and is then written out whenever full;
// a string's doubles as long as the document grows. Small documents, the most
// common, never touch a large buffer.
void MessageXmlWriter::Grow(std::size_t bytes) {
  constexpr std::size_t kFirstSize = 4096;
  if (fd_ >= 0 && buffer_.size() >= kFlushSize) Flush();
  std::size_t size = std::max(buffer_.size(), kFirstSize);
  while (size - used_ < bytes) size *= 2;
  if (size > buffer_.size()) buffer_.resize(size);
}

void MessageXmlWriter::Put(std::string_view text) {
  used_ = Copy(Reserve(text.size()), text) - buffer_.data();
}

template <typename T>
void MessageXmlWriter::PutNumber(T value) {
  constexpr std::size_t kDigits = 24;  // the longest 64-bit number with its sign
  char* at = Reserve(kDigits);
  used_ = std::to_chars(at, at + kDigits, value).ptr - buffer_.data();
}

void MessageXmlWriter::PutIndent(int level) {
  std::size_t spaces = 2 * static_cast<std::size_t>(level);
  char* at = Reserve(1 + spaces);
  *at = '\n';
  std::memset(at + 1, ' ', spaces);
  used_ += 1 + spaces;
}

void MessageXmlWriter::PutEscaped(std::string_view text, bool attribute) {
  const ByteTable& table = attribute ? kAttributeBytes : kTextBytes;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t to = std::min(text.size(), at + kPiece);
    char* out = Reserve(kMaxGrowth * (to - at) + kSequenceTail);
    used_ = EscapePiece(table, text, &at, to, out) - buffer_.data();
  }
}

// Writes the buffer out to the descriptor; after a failed write, the rest is
// dropped and writeErrno() tells why.
bool MessageXmlWriter::Flush() {
  if (fd_ < 0) return true;
  for (std::size_t done = 0; done < used_ && writeErrno_ == 0;) {
    ssize_t n = write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) writeErrno_ = n < 0 ? errno : EIO;
    else done += static_cast<std::size_t>(n);
  }
  used_ = 0;
  return writeErrno_ == 0;
}

}  // namespace hx
