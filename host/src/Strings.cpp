// String helpers shared by the host and the plug-in.
#include "hx/Strings.h"

#include <cctype>
#include <limits>

std::string Trim(const std::string& s, const std::string& chars) {
  size_t first = s.find_first_not_of(chars);
  if (first == std::string::npos) return std::string();
  size_t last = s.find_last_not_of(chars);
  return s.substr(first, last - first + 1);
}

void TrimInline(std::string& s, const std::string& chars) {
  size_t last = s.find_last_not_of(chars);
  if (last == std::string::npos) {
    s.clear();
    return;
  }
  s.erase(last + 1);
  s.erase(0, s.find_first_not_of(chars));
}

int compareNoCase(const std::string& a, const std::string& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;  // the common case: no case folding needed
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace hx {
namespace {

void TrimBlanks(std::string& piece) { TrimInline(piece, " \t"); }

}  // namespace

void SplitLine(std::string_view line, std::vector<std::string>& parts, char sep, char escape) {
  parts.clear();
  if (line.empty()) return;
  std::string piece;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (escape != 0 && c == escape && i + 1 < line.size()) {
      piece += line[++i];
    } else if (c == sep) {
      TrimBlanks(piece);
      parts.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  TrimBlanks(piece);
  parts.push_back(std::move(piece));
}

bool ParseLeadingInteger(std::string_view text, long long* value) {
  *value = 0;
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t digitsStart = i;
  unsigned long long magnitude = 0;
  const unsigned long long limit = negative ? 1ULL + std::numeric_limits<long long>::max()
                                            : std::numeric_limits<long long>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    unsigned digit = static_cast<unsigned>(text[i] - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (i == digitsStart) return false;
  *value = negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
  return true;
}

long long LeadingInteger(std::string_view text) {
  long long value = 0;
  ParseLeadingInteger(text, &value);
  return value;
}

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string SafeFileName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  if (name.empty()) return "%";
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool encode = c == '%' || c == '/' || c == '\\' || c < 0x20 || c == 0x7F || (i == 0 && c == '.');
    if (encode) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace hx
