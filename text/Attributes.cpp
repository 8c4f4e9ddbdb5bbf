// Attribute cutting and list reading shared by the nsradmin report parsers.
#include "text/Attributes.h"

#include "hx/Strings.h"

std::string AttributeValue(const std::string& line, char separator) {
  size_t at = line.find(separator);
  // No separator: the attribute has no value. The value starts after the
  // separator and the blanks or tabs that follow it, whether there are any
  // ("name:host;" as well as "name: host;").
  if (at == std::string::npos) return std::string();
  size_t start = line.find_first_not_of(" \t", at + 1);
  if (start == std::string::npos) return std::string();
  return ::Trim(line.substr(start), " ;");
}

std::string TrimLeadingBlanks(std::string& s) {
  size_t keep = s.find_first_not_of(' ');
  if (keep == std::string::npos) keep = s.empty() ? 0 : s.size() - 1;
  s.erase(0, keep);
  return s;
}

namespace {

bool EndsWith(const std::string& s, char c) { return !s.empty() && s.back() == c; }

}  // namespace

std::string ReadListValue(ReportReader& reader, const std::string& line, const Continuation& how) {
  std::string value = AttributeValue(line, ':');
  bool onNextLine = value == "\\";
  if (onNextLine) value.clear();
  if (!EndsWith(line, ';') && (onNextLine || EndsWith(value, ','))) ReadContinuedValue(reader, &value, how);
  return value;
}
