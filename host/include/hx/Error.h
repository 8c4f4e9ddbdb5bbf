// The host's error value: a signed code and a text. Negative codes are errors.
#pragma once

#include <string>

using CLmString = std::string;

class CLmError {
 public:
  CLmError() = default;
  CLmError(int code, std::string text) : m_code(code), m_text(std::move(text)) {}
  static CLmError Ok() { return CLmError(); }

  int GetErrorCode() const { return m_code; }
  bool IsError() const { return m_code < 0; }
  CLmString AsString() const { return m_text; }

 private:
  int m_code = 0;
  std::string m_text;
};
