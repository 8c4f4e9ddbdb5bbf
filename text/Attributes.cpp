// Attribute cutting and list reading shared by the nsradmin report parsers.
#include "text/Attributes.h"

#include "hx/Strings.h"

std::string AttributeValue(const std::string& line, char separator) {
  size_t at = line.find(separator);
  // No separator, or nothing after it: the attribute has no value.
  if (at == std::string::npos || at + 1 >= line.size()) return std::string();
  size_t start = at + 2 <= line.size() ? at + 2 : line.size();
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
  if (value == "\\") value.clear();
  if (!EndsWith(line, ';') && (value.empty() || EndsWith(value, ','))) ReadContinuedValue(reader, &value, how);
  return value;
}
