// Small text helpers of the report parsers and builders: prefix test, clock-time conversions,
// lower-casing and find-and-replace.
#pragma once

#include <string>
#include <string_view>

// True when the two strings agree over the length of the shorter one (so an
// empty `s`, or an `s` that is itself the beginning of `prefix`, answers true).
bool StartsWith(const std::string& s, const std::string& prefix);
// A true prefix test: `s` begins with the whole of `prefix`.
bool HasPrefix(std::string_view s, std::string_view prefix);
// "HH:MM" (double quotes skipped) to seconds after midnight.
unsigned int StrToUnixTime(const std::string& s);
// Seconds after midnight to "H:M" without leading zeros (81000 -> "22:30").
std::string UnixTimeToStr(unsigned int seconds);
char _xtolower(char c);
// Replaces every `from` by `to`, never searching text already inserted.
void FindReplace(std::string& s, std::string from, std::string to);
