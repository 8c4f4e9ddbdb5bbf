// Small helpers shared by the XML writer and reader of messages (internal to
// the host library): error text, numbers, libxml2 set-up.
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

// Puts `context` before the error text already set.
inline bool PrefixError(std::string* error, const std::string& context) {
  if (error) error->insert(0, context);
  return false;
}

}  // namespace xmlcommon
}  // namespace hx
