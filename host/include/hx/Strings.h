// String helpers the host offers its plug-ins: trimming, case-blind comparison,
// list splitting, C-style number reading without the C library's pitfalls, and
// the one encoding that turns names read from a server into safe file names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Copy of `s` without the characters of `chars` at either end.
std::string Trim(const std::string& s, const std::string& chars);
// Removes the characters of `chars` from both ends of `s`, in place.
void TrimInline(std::string& s, const std::string& chars);
// Negative, zero or positive, comparing bytes after ASCII lower-casing.
int compareNoCase(const std::string& a, const std::string& b);

namespace hx {

// Pieces of `line` between separators `sep`, each trimmed of blanks and tabs at
// both ends (NetWorker prints lists as "a, b"). Empty pieces are kept; an empty
// line gives no piece. When `escape` is not 0 it makes the next character
// literal (a separator included) and is itself dropped.
void SplitLine(std::string_view line, std::vector<std::string>& parts, char sep, char escape = 0);

// Reads an integer the way atol and the %lld conversion do: leading white space,
// an optional sign, then digits up to the first other character. False when
// there is no digit (value 0). Values past the range saturate.
bool ParseLeadingInteger(std::string_view text, long long* value);
// The value atoi/atol would give: ParseLeadingInteger, 0 when no digit.
long long LeadingInteger(std::string_view text);

// Byte-wise ASCII lower-casing (tolower on each byte taken as signed char).
std::string ToLower(std::string_view text);

// File name for a name read from a server: '%', '/', '\\', bytes below 0x20,
// 0x7F and a leading '.' become %XX (upper-case hex); all else is unchanged.
// An empty name becomes "%", which no other name can give (a real '%' is %25).
std::string SafeFileName(std::string_view name);

}  // namespace hx
