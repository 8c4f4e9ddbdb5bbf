// The libxml2 text writer form of messages, kept as the reference for the
// writer in MessageXmlWriter.cpp.
#include "XmlReferenceWriter.h"

#include <libxml/xmlwriter.h>

#include <string>

#include "XmlCommon.h"
#include "hx/XmlForm.h"

namespace hx {
using namespace xmlcommon;
namespace {

// xmlTextWriter on a memory buffer. Each call is made only while all before it
// succeeded, so the element writers read as straight-line code. Indentation is
// written by hand: the writer's own indenting would break <v> lists over lines.
class XmlWriter {
 public:
  XmlWriter() : buffer_(xmlBufferCreate()) {
    writer_ = buffer_ ? xmlNewTextWriterMemory(buffer_, 0) : nullptr;
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

  // Ends the document and hands its text to `out`.
  bool Finish(std::string* out) {
    ok_ = ok_ && xmlTextWriterEndDocument(writer_) >= 0 && xmlTextWriterFlush(writer_) >= 0;
    if (ok_)
      out->assign(reinterpret_cast<const char*>(xmlBufferContent(buffer_)), xmlBufferLength(buffer_));
    return ok_;
  }

 private:
  void Begin() { ok_ = writer_ && xmlTextWriterStartDocument(writer_, nullptr, "UTF-8", nullptr) >= 0; }
  xmlBufferPtr buffer_;
  xmlTextWriterPtr writer_ = nullptr;
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

}  // namespace

bool WriteMessageXmlReference(const CNMessageBase& msg, std::string* xmlOut, std::string* error) {
  EnsureLibxml();
  XmlWriter writer;
  if (!WriteMessageElement(writer, msg, nullptr, 0, 0, error)) return false;
  if (!writer.Finish(xmlOut)) return SetError(error, "libxml2 could not write the XML document");
  return true;
}

}  // namespace hx
