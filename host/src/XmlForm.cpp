// Writing and reading the XML form of messages with libxml2, and placing the
// written documents in folders without ever exposing or replacing a file.
#include "hx/XmlForm.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "hx/Files.h"
#include "hx/MessageClasses.h"

namespace hx {
namespace {

// --- Shared helpers ---

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

template <typename T>
std::string Number(T value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// Strict: the whole text is one number of type T, without blanks or '+'.
template <typename T>
bool ParseNumber(std::string_view text, T* out) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *out);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// libxml2 reports write errors on stderr by itself; ours carry the file name
// and go to the log, so its own messages are silenced.
void IgnoreLibxmlMessage(void*, const char*, ...) {}

void EnsureLibxml() {
  static const int ready = (xmlInitParser(), xmlSetGenericErrorFunc(nullptr, IgnoreLibxmlMessage), 0);
  (void)ready;
}

// Length of the valid UTF-8 sequence that starts `s`, with its code point; 0 when invalid
// (bad lead or continuation byte, truncated, overlong, surrogate, beyond U+10FFFF).
std::size_t DecodeUtf8(std::string_view s, char32_t* codePoint) {
  unsigned char lead = static_cast<unsigned char>(s[0]);
  std::size_t length = 0;
  char32_t value = 0, minimum = 0;
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) length = 2, value = lead & 0x1F, minimum = 0x80;
  else if ((lead & 0xF0) == 0xE0) length = 3, value = lead & 0x0F, minimum = 0x800;
  else if ((lead & 0xF8) == 0xF0) length = 4, value = lead & 0x07, minimum = 0x10000;
  if (length == 0 || s.size() < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(s[k]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}

bool AllowedInXml(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c != 0xFFFE && c != 0xFFFF;
}

}  // namespace

std::string CleanXmlText(std::string_view bytes) {
  std::string clean;
  clean.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t codePoint = 0;
    std::size_t length = DecodeUtf8(bytes, &codePoint);
    if (length > 0 && AllowedInXml(codePoint)) {
      clean.append(bytes.data(), length);
    } else {
      length = length == 0 ? 1 : length;  // one replacement per bad byte
      for (std::size_t k = 0; k < length; ++k) clean += kReplacement;
    }
    bytes.remove_prefix(length);
  }
  return clean;
}

namespace {

// --- Writing ---

// xmlTextWriter on a memory buffer. Each call is made only while all before it
// succeeded, so the element writers read as straight-line code. Indentation is
// written by hand: the writer's own indenting would break <v> lists over lines.
// Writes the document into memory, or straight into a file descriptor so that
// a large message never needs its whole text in memory.
class XmlWriter {
 public:
  XmlWriter() : buffer_(xmlBufferCreate()) {
    writer_ = buffer_ ? xmlNewTextWriterMemory(buffer_, 0) : nullptr;
    Begin();
  }
  explicit XmlWriter(int fd) : buffer_(nullptr), fd_(fd) {
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(&XmlWriter::WriteToFd, nullptr, this, nullptr);
    writer_ = out ? xmlNewTextWriter(out) : nullptr;  // the writer owns the output buffer
    if (out && !writer_) xmlOutputBufferClose(out);
    Begin();
  }
  ~XmlWriter() {
    if (writer_) xmlFreeTextWriter(writer_);
    if (buffer_) xmlBufferFree(buffer_);
  }
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  void Start(const char* name) { ok_ = ok_ && xmlTextWriterStartElement(writer_, BAD_CAST name) >= 0; }
  void Attribute(const char* name, const std::string& value) {
    ok_ = ok_ && xmlTextWriterWriteAttribute(writer_, BAD_CAST name, BAD_CAST value.c_str()) >= 0;
  }
  // Cleaned first; xmlTextWriter escapes markup and writes CR as &#13; so it survives parsing.
  void Text(std::string_view text) {
    if (!text.empty()) PlainText(CleanXmlText(text));
  }
  void PlainText(const std::string& text) {  // text known to be clean: numbers
    ok_ = ok_ && xmlTextWriterWriteString(writer_, BAD_CAST text.c_str()) >= 0;
  }
  void Indent(int level) {
    std::string raw = "\n" + std::string(2 * static_cast<std::size_t>(level), ' ');
    ok_ = ok_ && xmlTextWriterWriteRaw(writer_, BAD_CAST raw.c_str()) >= 0;
  }
  void End() { ok_ = ok_ && xmlTextWriterEndElement(writer_) >= 0; }
  void FullEnd() { ok_ = ok_ && xmlTextWriterFullEndElement(writer_) >= 0; }

  // Ends the document; the memory form hands its text to `out`.
  bool Finish(std::string* out) {
    ok_ = ok_ && xmlTextWriterEndDocument(writer_) >= 0 && xmlTextWriterFlush(writer_) >= 0;
    if (ok_ && buffer_ && out)
      out->assign(reinterpret_cast<const char*>(xmlBufferContent(buffer_)), xmlBufferLength(buffer_));
    return ok_ && writeErrno_ == 0;
  }
  // The errno of a failed write to the descriptor; 0 when none failed.
  int writeErrno() const { return writeErrno_; }

 private:
  void Begin() { ok_ = writer_ && xmlTextWriterStartDocument(writer_, nullptr, "UTF-8", nullptr) >= 0; }
  static int WriteToFd(void* context, const char* data, int size) {
    auto* self = static_cast<XmlWriter*>(context);
    for (int done = 0; done < size;) {
      ssize_t n = write(self->fd_, data + done, static_cast<std::size_t>(size - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        self->writeErrno_ = n < 0 ? errno : EIO;
        return -1;
      }
      done += static_cast<int>(n);
    }
    return size;
  }

  xmlBufferPtr buffer_;
  xmlTextWriterPtr writer_ = nullptr;
  int fd_ = -1;
  int writeErrno_ = 0;
  bool ok_ = false;
};

bool WriteMessageElement(XmlWriter& w, const CNMessageBase& msg, const MessageField* asField, int indent,
                         int depth, std::string* error);

void WriteFieldStart(XmlWriter& w, const char* element, const MessageField& field) {
  w.Start(element);
  w.Attribute("i", Number(field.index()));
  w.Attribute("t", Number(field.tag()));
}

template <typename T>
void WriteNumberList(XmlWriter& w, const char* element, const MessageField& field, const std::vector<T>& list) {
  WriteFieldStart(w, element, field);
  for (T value : list) {
    w.Start("v");
    w.PlainText(Number(value));
    w.FullEnd();
  }
  w.End();
}

bool WriteMessageList(XmlWriter& w, const MessageField& field, int indent, int depth, std::string* error) {
  WriteFieldStart(w, "list", field);
  for (const CNMessageBase& element : *field.messageList()) {
    w.Indent(indent + 1);
    if (!WriteMessageElement(w, element, nullptr, indent + 1, depth + 1, error)) return false;
  }
  if (!field.messageList()->empty()) w.Indent(indent);
  w.End();
  return true;
}

bool WriteField(XmlWriter& w, const MessageField& field, int indent, int depth, std::string* error) {
  switch (field.kind()) {
    case FieldKind::kInt64:
      WriteFieldStart(w, "int64", field);
      w.PlainText(Number(field.int64Value()));
      w.FullEnd();
      return true;
    case FieldKind::kString:
      WriteFieldStart(w, "string", field);
      w.Text(field.stringValue());
      w.FullEnd();
      return true;
    case FieldKind::kIntList:
      WriteNumberList(w, "intlist", field, *field.intList());
      return true;
    case FieldKind::kULongList:
      WriteNumberList(w, "ulonglist", field, *field.ulongList());
      return true;
    case FieldKind::kMessage:
      return WriteMessageElement(w, *field.message(), &field, indent, depth + 1, error);
    case FieldKind::kMessageList:
      return WriteMessageList(w, field, indent, depth, error);
  }
  return true;
}

bool WriteMessageElement(XmlWriter& w, const CNMessageBase& msg, const MessageField* asField, int indent,
                         int depth, std::string* error) {
  if (depth > kMaxMessageDepth) {
    return SetError(error, "messages nest deeper than " + Number(kMaxMessageDepth) + " levels");
  }
  w.Start("msg");
  if (msg.className()) w.Attribute("class", CleanXmlText(msg.className()));
  if (asField) {
    w.Attribute("i", Number(asField->index()));
    w.Attribute("t", Number(asField->tag()));
  }
  w.Attribute("module", Number(msg.module()));
  w.Attribute("type", Number(msg.type()));
  for (std::size_t n = 0; n < msg.fieldCount(); ++n) {
    w.Indent(indent + 1);
    if (!WriteField(w, msg.field(n), indent + 1, depth, error)) return false;
  }
  if (msg.fieldCount() > 0) w.Indent(indent);
  w.End();
  return true;
}

// --- Reading ---

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;

bool Fail(std::string* error, const xmlNode* node, const std::string& what) {
  return SetError(error, "line " + Number(xmlGetLineNo(node)) + ": " + what);
}

// Offending text as shown in an error: cut short and made printable.
std::string Quote(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string shown = CleanXmlText(text.substr(0, kShown));
  return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

std::string ElementName(const xmlNode* node) {
  return "<" + std::string(reinterpret_cast<const char*>(node->name)) + ">";
}

bool IsNamed(const xmlNode* node, const char* name) { return xmlStrEqual(node->name, BAD_CAST name); }

bool IsBlank(const xmlNode* node) {
  for (const xmlChar* c = node->content; c && *c; ++c) {
    if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') return false;
  }
  return true;
}

// Layout between elements: blank text, comments and processing instructions.
bool IsIgnorable(const xmlNode* node) {
  return node->type == XML_COMMENT_NODE || node->type == XML_PI_NODE ||
         (node->type == XML_TEXT_NODE && IsBlank(node));
}

// The attributes an element may carry, as a mask of bits (1 << Attribute).
enum Attribute { kClass, kIndex, kTag, kModule, kType, kAttributeCount };
constexpr const char* kAttributeNames[kAttributeCount] = {"class", "i", "t", "module", "type"};
constexpr unsigned Bit(Attribute a) { return 1u << a; }
constexpr unsigned kFieldAttributes = Bit(kIndex) | Bit(kTag);
constexpr unsigned kMessageAttributes = Bit(kClass) | Bit(kModule) | Bit(kType);

struct Attributes {
  unsigned present = 0;
  std::string values[kAttributeCount];
  bool Has(Attribute a) const { return (present & Bit(a)) != 0; }
};

bool CollectAttributes(const xmlNode* node, unsigned allowed, Attributes* out, std::string* error) {
  for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
    int slot = -1;
    for (int k = 0; k < kAttributeCount; ++k) {
      if ((allowed & (1u << k)) && xmlStrEqual(attr->name, BAD_CAST kAttributeNames[k])) slot = k;
    }
    if (slot < 0) {
      return Fail(error, node, ElementName(node) + " has an unexpected attribute " +
                                   Quote(reinterpret_cast<const char*>(attr->name)));
    }
    xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
    out->values[slot] = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    out->present |= 1u << slot;
  }
  return true;
}

template <typename T>
bool RequireNumber(const xmlNode* node, const Attributes& attrs, Attribute a, T* out, std::string* error) {
  const char* name = kAttributeNames[a];
  if (!attrs.Has(a)) return Fail(error, node, ElementName(node) + " lacks the attribute " + name);
  if (ParseNumber(attrs.values[a], out)) return true;
  return Fail(error, node, ElementName(node) + " attribute " + name + "=" + Quote(attrs.values[a]) +
                               " is not a number in range");
}

// The text of a leaf element (text and CDATA; comments skipped).
bool ElementText(const xmlNode* node, std::string* text, std::string* error) {
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      if (child->content) text->append(reinterpret_cast<const char*>(child->content));
    } else if (child->type != XML_COMMENT_NODE && child->type != XML_PI_NODE) {
      return Fail(error, child, ElementName(node) + " may hold text only");
    }
  }
  return true;
}

template <typename T>
bool ReadNumberText(const xmlNode* node, T* value, std::string* error) {
  std::string text;
  if (!ElementText(node, &text, error)) return false;
  if (ParseNumber(text, value)) return true;
  return Fail(error, node, ElementName(node) + " value " + Quote(text) + " is not a number in range");
}

bool ReadFields(const xmlNode* node, int depth, CNMessageBase* msg, std::string* error);

// A <msg> element: its class, then its fields. `attrs` were collected by the caller.
bool ReadMessageElement(const xmlNode* node, const Attributes& attrs, int depth, CNMessageBase* out,
                        std::string* error) {
  if (depth > kMaxMessageDepth) {
    return Fail(error, node, "messages nest deeper than " + Number(kMaxMessageDepth) + " levels");
  }
  int module = 0, type = 0;
  if (!RequireNumber(node, attrs, kModule, &module, error) || !RequireNumber(node, attrs, kType, &type, error)) {
    return false;
  }
  const MessageClassInfo* info = FindMessageClass(module, type);
  if (attrs.Has(kClass) && (!info || attrs.values[kClass] != info->name)) {
    return Fail(error, node, "class " + Quote(attrs.values[kClass]) + " is not the class of module " +
                                 Number(module) + " type " + Number(type));
  }
  *out = CNMessageBase(module, type);
  return ReadFields(node, depth, out, error);
}

template <typename T>
bool ReadNumberList(const xmlNode* node, std::vector<T>* list, std::string* error) {
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (IsIgnorable(child)) continue;
    if (child->type != XML_ELEMENT_NODE || !IsNamed(child, "v")) {
      return Fail(error, child, ElementName(node) + " may hold <v> elements only");
    }
    Attributes none;
    T value{};
    if (!CollectAttributes(child, 0, &none, error) || !ReadNumberText(child, &value, error)) return false;
    list->push_back(value);
  }
  return true;
}

bool ReadList(const xmlNode* node, int depth, std::vector<CNMessageBase>* list, std::string* error) {
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (IsIgnorable(child)) continue;
    if (child->type != XML_ELEMENT_NODE || !IsNamed(child, "msg")) {
      return Fail(error, child, "<list> may hold <msg> elements only");
    }
    Attributes attrs;
    CNMessageBase element(0, 0);
    if (!CollectAttributes(child, kMessageAttributes, &attrs, error) ||
        !ReadMessageElement(child, attrs, depth + 1, &element, error)) {
      return false;
    }
    list->push_back(std::move(element));
  }
  return true;
}

// The value of field i/t from its element, whose name was checked by the caller.
bool ReadFieldValue(const xmlNode* node, const Attributes& attrs, short i, short t, int depth,
                    CNMessageBase* msg, std::string* error) {
  if (IsNamed(node, "int64")) {
    long long value = 0;
    bool ok = ReadNumberText(node, &value, error);
    if (ok) msg->setint64(i, t, value);
    return ok;
  }
  if (IsNamed(node, "string")) {
    std::string text;
    bool ok = ElementText(node, &text, error);
    if (ok) msg->setstring(i, t, text);
    return ok;
  }
  if (IsNamed(node, "intlist")) return ReadNumberList(node, msg->getlistint(i, t, 0, 0, true), error);
  if (IsNamed(node, "ulonglist")) return ReadNumberList(node, msg->getlistulong(i, t, 0, 0, true), error);
  if (IsNamed(node, "list")) return ReadList(node, depth, msg->getlistobject(i, t, 0, 0, true), error);
  CNMessageBase embedded(0, 0);
  if (!ReadMessageElement(node, attrs, depth + 1, &embedded, error)) return false;
  *msg->getObjectAccessor(true, true, i, t, 0, 0, embedded.module(), embedded.type()) = std::move(embedded);
  return true;
}

bool ReadField(const xmlNode* node, int depth, CNMessageBase* msg, std::string* error) {
  static constexpr const char* kFieldElements[] = {"int64", "string", "intlist", "ulonglist", "list", "msg"};
  bool known = false;
  for (const char* name : kFieldElements) known = known || IsNamed(node, name);
  if (!known) return Fail(error, node, "unknown element " + ElementName(node));
  unsigned allowed = IsNamed(node, "msg") ? kFieldAttributes | kMessageAttributes : kFieldAttributes;
  Attributes attrs;
  short i = 0, t = 0;
  if (!CollectAttributes(node, allowed, &attrs, error) || !RequireNumber(node, attrs, kIndex, &i, error) ||
      !RequireNumber(node, attrs, kTag, &t, error)) {
    return false;
  }
  if (msg->isSet(i)) return Fail(error, node, "field i=" + Number(i) + " appears twice");
  return ReadFieldValue(node, attrs, i, t, depth, msg, error);
}

bool ReadFields(const xmlNode* node, int depth, CNMessageBase* msg, std::string* error) {
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (IsIgnorable(child)) continue;
    if (child->type != XML_ELEMENT_NODE) return Fail(error, child, "<msg> may hold field elements only");
    if (!ReadField(child, depth, msg, error)) return false;
  }
  return true;
}

std::string ParseErrorText(xmlParserCtxtPtr context) {
  const xmlError* last = xmlCtxtGetLastError(context);
  if (!last || !last->message) return "line 1: not a well-formed XML document";
  std::string message = last->message;
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  for (char& c : message) c = c == '\n' ? ' ' : c;  // some messages add a second line of bytes
  return "line " + Number(last->line) + ": " + message;
}

using Document = std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)>;

// The parsed document, or null with `error` set.
Document Parse(std::string_view xml, std::string* error) {
  Document document(nullptr, xmlFreeDoc);
  xmlParserCtxtPtr context = xml.size() <= static_cast<std::size_t>(INT_MAX) ? xmlNewParserCtxt() : nullptr;
  if (!context) {
    SetError(error, "line 1: the document is too large to parse");
    return document;
  }
  const char* data = xml.empty() ? "" : xml.data();
  document.reset(xmlCtxtReadMemory(context, data, static_cast<int>(xml.size()), "message.xml", nullptr,
                                   kParseOptions));
  if (document && !context->wellFormed) document.reset();
  if (!document) SetError(error, ParseErrorText(context));
  xmlFreeParserCtxt(context);
  return document;
}

// --- Files ---

std::string SystemError(const std::string& what, const std::string& path, int code) {
  return what + " '" + path + "': " + std::error_code(code, std::generic_category()).message();
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes a new hidden file in `folder` with `fill`, synced to disk; `target`
// names the file being written in error messages. A failed fill leaves no file.
bool WriteTempFile(const std::string& folder, const std::string& target,
                   const std::function<bool(int fd, std::string* error)>& fill, std::string* tempPath,
                   std::string* error) {
  std::string path = JoinPath(folder, ".hxmsg.tmpXXXXXX");
  int fd = mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) return SetError(error, SystemError("cannot write", target, errno));
  bool ok = fchmod(fd, 0644) == 0;
  if (ok && !fill(fd, error)) {
    close(fd);
    unlink(path.c_str());
    return false;
  }
  ok = ok && fsync(fd) == 0;
  int code = errno;
  if (close(fd) != 0 && ok) ok = false, code = errno;
  if (!ok) {
    unlink(path.c_str());
    return SetError(error, SystemError("cannot write", target, code));
  }
  *tempPath = path;
  return true;
}

// Best effort: makes the rename durable; some file systems refuse to sync folders.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)fsync(fd);
  close(fd);
}

// Gives the temporary file its final name unless that name exists: 0, or errno.
int PublishWithoutReplacing(const std::string& tempPath, const std::string& path) {
  if (link(tempPath.c_str(), path.c_str()) == 0) return 0;
  if (errno != EPERM && errno != EOPNOTSUPP) return errno;
  // No hard links here (some mounted file systems): claim the name, then replace the claim.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  close(fd);
  if (rename(tempPath.c_str(), path.c_str()) == 0) return 0;
  int code = errno;
  unlink(path.c_str());
  return code;
}

// The number of a dump file name "NNNNN_<anything>.xml" (at least 5 digits); false otherwise.
bool DumpNumberOf(std::string_view name, unsigned long* number) {
  std::size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
  constexpr std::string_view kExtension = ".xml";
  if (digits < 5 || name.size() < digits + 1 + kExtension.size() || name[digits] != '_') return false;
  if (name.substr(name.size() - kExtension.size()) != kExtension) return false;
  return ParseNumber(name.substr(0, digits), number);
}

bool NextDumpNumber(const std::string& folder, unsigned long* next, std::string* error) {
  std::error_code code;
  unsigned long highest = 0;
  for (std::filesystem::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
    unsigned long number = 0;
    if (DumpNumberOf(it->path().filename().native(), &number) && number > highest) highest = number;
  }
  if (code) return SetError(error, "cannot list folder '" + folder + "': " + code.message());
  *next = highest + 1;
  return true;
}

std::string DumpFileName(unsigned long number, const CNMessageBase& msg) {
  std::string digits = Number(number);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
  std::string name = "Msg_" + Number(msg.module()) + "_" + Number(msg.type());
  if (msg.className()) {
    name = msg.className();
    for (std::size_t at; (at = name.find("::")) != std::string::npos;) name.replace(at, 2, "_");
  }
  for (char& c : name) {  // a class name never becomes a path
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    if (!plain) c = '_';
  }
  return digits + "_" + name + ".xml";
}

// Puts `context` before the error text already set.
bool PrefixError(std::string* error, const std::string& context) {
  if (error) error->insert(0, context);
  return false;
}

}  // namespace

bool WriteMessageXml(const CNMessageBase& msg, std::string* xmlOut, std::string* error) {
  EnsureLibxml();
  XmlWriter writer;
  if (!WriteMessageElement(writer, msg, nullptr, 0, 0, error)) return false;
  if (!writer.Finish(xmlOut)) return SetError(error, "libxml2 could not write the XML document");
  return true;
}

namespace {

// Streams the message's XML into `fd`; `target` names the file in messages.
bool WriteMessageXmlToFd(const CNMessageBase& msg, int fd, const std::string& target, std::string* error) {
  EnsureLibxml();
  XmlWriter writer(fd);
  if (!WriteMessageElement(writer, msg, nullptr, 0, 0, error)) return PrefixError(error, "cannot write '" + target + "': ");
  if (writer.Finish(nullptr)) return true;
  if (writer.writeErrno() != 0) return SetError(error, SystemError("cannot write", target, writer.writeErrno()));
  return SetError(error, "cannot write '" + target + "': libxml2 could not write the XML document");
}

}  // namespace

bool WriteMessageXmlFile(const CNMessageBase& msg, const std::string& path, std::string* error) {
  std::string tempPath;
  std::string folder = FolderOf(path);
  auto fill = [&](int fd, std::string* why) { return WriteMessageXmlToFd(msg, fd, path, why); };
  if (!WriteTempFile(folder, path, fill, &tempPath, error)) return false;
  if (rename(tempPath.c_str(), path.c_str()) != 0) {
    int code = errno;
    unlink(tempPath.c_str());
    return SetError(error, SystemError("cannot write", path, code));
  }
  SyncFolder(folder);
  return true;
}

bool DumpMessageToFolder(const CNMessageBase& msg, const std::string& folder, std::string* writtenPath,
                         std::string* error) {
  if (!MakeDirectories(folder, error)) return false;
  std::string tempPath;
  unsigned long number = 0;
  auto fill = [&](int fd, std::string* why) { return WriteMessageXmlToFd(msg, fd, folder, why); };
  if (!NextDumpNumber(folder, &number, error) || !WriteTempFile(folder, folder, fill, &tempPath, error)) return false;
  // Another writer may take a number between the listing and the link: try the next.
  constexpr int kAttempts = 1000;
  for (int attempt = 0; attempt < kAttempts; ++attempt, ++number) {
    std::string path = JoinPath(folder, DumpFileName(number, msg));
    int result = PublishWithoutReplacing(tempPath, path);
    if (result == EEXIST) continue;
    unlink(tempPath.c_str());
    if (result != 0) return SetError(error, SystemError("cannot write", path, result));
    SyncFolder(folder);
    if (writtenPath) *writtenPath = path;
    return true;
  }
  unlink(tempPath.c_str());
  return SetError(error, "cannot write into '" + folder + "': no free file number");
}

bool ReadMessageXml(std::string_view xml, CNMessageBase* out, std::string* error) {
  EnsureLibxml();
  Document document = Parse(xml, error);
  if (!document) return false;
  const xmlNode* root = xmlDocGetRootElement(document.get());
  if (!root) return SetError(error, "line 1: the document has no root element");
  if (document->intSubset || document->extSubset) {
    return Fail(error, root, "a document type declaration is not accepted");
  }
  if (!IsNamed(root, "msg")) return Fail(error, root, "the root element is " + ElementName(root) + ", not <msg>");
  Attributes attrs;
  CNMessageBase msg(0, 0);
  if (!CollectAttributes(root, kMessageAttributes, &attrs, error) ||
      !ReadMessageElement(root, attrs, 0, &msg, error)) {
    return false;
  }
  *out = std::move(msg);
  return true;
}

bool ReadMessageXmlFile(const std::string& path, CNMessageBase* out, std::string* error) {
  std::string xml;
  if (!ReadWholeFile(path, &xml, error)) return false;
  return ReadMessageXml(xml, out, error) || PrefixError(error, path + ": ");
}

}  // namespace hx
