// Reading the XML form of messages back with libxml2, strictly: anything but
// the form the writer produces is refused with the line it stands on.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "XmlCommon.h"
#include "hx/Files.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace hx {
using namespace xmlcommon;
namespace {

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

}  // namespace

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
