// Reads a message file of the host's XML form token by token, a block of the
// file at a time: the report's rebuild reads a gigabyte of job lists this way,
// with no tree and far faster than a general XML reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nwk {

// Accepts what the host library writes, and what differs from it only in
// layout: an XML declaration, comments, processing instructions, CDATA
// sections, character and predefined entity references, either quote around
// attribute values. Anything else (a document type, an unknown entity, a tag
// left open or closed by another name, text outside the root) stops the
// reading, and error() names the line. Bytes are not checked as UTF-8: the
// report cleans every text it shows.
class ReportXmlPull {
 public:
  enum Token { kStart, kEnd, kText };

  ReportXmlPull() = default;
  ~ReportXmlPull();
  ReportXmlPull(const ReportXmlPull&) = delete;
  ReportXmlPull& operator=(const ReportXmlPull&) = delete;

  // False when the file cannot be opened; error() says why.
  bool Open(const std::string& path);
  // Reads `xml` instead of a file; `name` stands for it in errors.
  void OpenText(std::string xml, const std::string& name);
  // Moves to the next token. False at the end of the document, and on an
  // error (error() is then set). A self-closing element gives kStart and kEnd.
  bool Next();

  Token token() const { return m_token; }
  // The element a kStart opens or a kEnd closes.
  std::string_view name() const { return m_name; }
  // Elements open, the one a kStart opens or a kEnd closes included: the root is at 1.
  std::size_t depth() const { return m_open.size(); }
  // The value of attribute `attribute` of a kStart, entities replaced; false when absent.
  bool Attribute(std::string_view attribute, std::string_view* value);
  // The number in attribute `attribute` of a kStart; `absent` when missing or not a number.
  int IntAttribute(std::string_view attribute, int absent);
  // The text of a kText, line ends made "\n" and entities replaced, as
  // any XML reader gives it; valid until the next call.
  std::string_view text();
  // At a kStart: reads on to its end, appending its text to `out`. False
  // (error() set) when it holds an element.
  bool ReadText(std::string* out);
  // At a kStart: passes over everything up to its end, which becomes the
  // token. Inside, only the nesting of the elements is checked.
  bool Skip();

  // Stops the reading: error() becomes `what`, with the path and the line. Answers false.
  bool Fail(const std::string& what);
  const std::string& error() const { return m_error; }

 private:
  // What reading a token from the bytes buffered so far gave.
  enum Step { kToken, kPassed, kMore, kFailed };
  struct Attr {
    std::string_view name;
    std::string_view value;  // raw, between the quotes
  };
  std::size_t LineAt(std::size_t offset);
  bool Refill();
  Step TryToken();
  Step TryMarkup(std::string_view ahead);
  Step PassOver(std::string_view ahead, std::string_view open, std::string_view close);
  Step Stop(const std::string& what);
  Step StartTag(std::string_view ahead);
  Step EndTag(std::string_view ahead);
  Step SkipTag(std::string_view ahead, std::size_t* depth);
  Step Text(std::string_view text, std::size_t consumed, bool plain);
  bool AtEndOfFile();
  bool Decode(std::string_view raw, std::string* out);

  int m_fd = -1;  // -1: reading a text given whole
  std::string m_path;
  std::string m_buffer;
  std::size_t m_pos = 0;  // start of what is not yet read, in m_buffer
  std::size_t m_end = 0;  // end of the bytes read into m_buffer
  bool m_eof = false;
  std::size_t m_dropped = 0;  // bytes of the file dropped from the front of m_buffer

  Token m_token = kText;
  std::string_view m_name;
  // Of a kStart. The message form uses five names; attributes past
  // kMaxAttributes are checked but not kept.
  static constexpr std::size_t kMaxAttributes = 8;
  Attr m_attributes[kMaxAttributes];
  std::size_t m_attributeCount = 0;
  std::string_view m_text;         // of a kText, as in the file
  bool m_textIsPlain = false;      // CDATA: taken as is
  std::string m_decoded;
  std::string m_lineEnds;  // a text whose line ends were rewritten
  std::vector<std::string> m_open;
  bool m_closePending = false;  // the kEnd of a self-closing element comes next
  bool m_popPending = false;    // the element of the last kEnd is still in m_open
  bool m_rootSeen = false;
  std::string m_error;
};

}  // namespace nwk
