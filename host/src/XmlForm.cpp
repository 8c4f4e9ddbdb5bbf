// Writing the XML form of messages with libxml2, and placing the written
// documents in folders without ever exposing or replacing a file.
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

#include "XmlCommon.h"
#include "hx/Files.h"
#include "hx/MessageClasses.h"

namespace hx {
using namespace xmlcommon;
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

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

}  // namespace

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

namespace {

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

}  // namespace hx
