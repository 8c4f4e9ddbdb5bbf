// The message XML writer: serializes a message straight into a large buffer,
// cleaning and escaping each string in one pass (internal to the host library).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "hx/Message.h"

namespace hx {

// Writes one whole document in the XML form of hx/XmlForm.h, byte for byte as the
// libxml2 text writer writes it (XmlReferenceWriter.h keeps that writer, which the
// tests and a fuzz target hold this one to). Either into a string, or streamed into
// a file descriptor in writes of up to kFlushSize bytes, so that a large message
// never needs its whole text in memory. One writer writes one document.
// Hidden: nothing outside the library calls it, and its small helpers inline.
class __attribute__((visibility("hidden"))) MessageXmlWriter {
 public:
  static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

  explicit MessageXmlWriter(std::string* out);  // replaces *out with the document
  explicit MessageXmlWriter(int fd);            // the descriptor stays open

  // False with `error` when the message nests deeper than kMaxMessageDepth, or
  // when a write to the descriptor fails (writeErrno() then holds its errno).
  bool Write(const CNMessageBase& msg, std::string* error);
  int writeErrno() const { return writeErrno_; }

 private:
  bool WriteMessage(const CNMessageBase& msg, const MessageField* asField, int indent, int depth,
                    std::string* error);
  bool WriteField(const MessageField& field, int indent, int depth, std::string* error);
  bool WriteMessageList(const MessageField& field, int indent, int depth, std::string* error);
  template <typename T, std::size_t N, std::size_t M>
  void WriteNumberList(const char (&open)[N], const char (&close)[M], const std::vector<T>& list,
                       const MessageField& field);
  // Writes `open` ("<int64 i=\"") and the field's index and tag, up to the closing quote.
  template <std::size_t N>
  void FieldStart(const char (&open)[N], const MessageField& field);

  // Appending to the buffer.
  char* Reserve(std::size_t bytes);  // room for `bytes` more; the answer is where they go
  void Grow(std::size_t bytes);
  template <std::size_t N>
  void Put(const char (&text)[N]) {  // a literal: its length is known, so is the copy
    Put(std::string_view(text, N - 1));
  }
  void Put(std::string_view text);
  template <typename T>
  void PutNumber(T value);
  void PutIndent(int level);
  void PutEscaped(std::string_view text, bool attribute);
  bool Flush();

  std::string* out_ = nullptr;
  int fd_ = -1;
  int writeErrno_ = 0;
  std::string buffer_;   // its size is the capacity in use
  std::size_t used_ = 0;  // bytes of buffer_ written so far
};

}  // namespace hx
