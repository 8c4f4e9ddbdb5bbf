// Small helpers shared by the XML writer and reader of messages (internal to
// the host library): error text, numbers, UTF-8 checks, libxml2 set-up.
#pragma once

#include <libxml/parser.h>

#include <charconv>
#include <string>
#include <string_view>

namespace hx {
namespace xmlcommon {

inline bool SetError(std::string* error, std::string text) {
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
inline void IgnoreLibxmlMessage(void*, const char*, ...) {}

inline void EnsureLibxml() {
  static const int ready = (xmlInitParser(), xmlSetGenericErrorFunc(nullptr, IgnoreLibxmlMessage), 0);
  (void)ready;
}

// Length of the valid UTF-8 sequence that starts `s`, with its code point; 0 when invalid
// (bad lead or continuation byte, truncated, overlong, surrogate, beyond U+10FFFF).
inline std::size_t DecodeUtf8(std::string_view s, char32_t* codePoint) {
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

inline bool AllowedInXml(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c != 0xFFFE && c != 0xFFFF;
}

// Puts `context` before the error text already set.
inline bool PrefixError(std::string* error, const std::string& context) {
  if (error) error->insert(0, context);
  return false;
}

}  // namespace xmlcommon
}  // namespace hx
