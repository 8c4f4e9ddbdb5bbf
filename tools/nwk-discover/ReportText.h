// Escaping for the report: any byte string read from a server becomes safe
// HTML text or a valid JSON string, whatever it holds.
#pragma once

#include <string>
#include <string_view>

#include "EstateRows.h"

namespace nwk {

// `bytes` with every byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view bytes);
// `bytes` as valid UTF-8 with U+FFFD for each bad byte and each control
// character (tab and line feed kept when `keepLineBreaks`), for a terminal or a cell.
std::string PlainText(std::string_view bytes, bool keepLineBreaks);
// Text for HTML content and quoted attribute values: valid UTF-8, control
// characters replaced, and & < > " ' as character references.
std::string HtmlEscape(std::string_view bytes);
// A JSON string literal, quotes included: valid UTF-8, " and \ escaped,
// control characters as \uXXXX.
std::string JsonString(std::string_view bytes);

// A schedule policy as text: what runs on each weekday (Sunday first, slots
// joined by `join`) and its days of the month ("day 1: Full 21:00; ...").
struct ScheduleCells {
  std::string days[7];
  std::string monthly;
};
ScheduleCells ScheduleText(const SchedulePolicyRow& policy, const char* join);

}  // namespace nwk
