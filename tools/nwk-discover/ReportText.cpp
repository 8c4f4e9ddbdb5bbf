// Escaping for the report's HTML and JSON.
#include "ReportText.h"

#include <set>

#include "hx/XmlForm.h"

namespace nwk {
namespace {

// Length of the valid UTF-8 sequence at bytes[i], 0 when it is not valid.
std::size_t SequenceLength(std::string_view bytes, std::size_t i) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  unsigned char c = at(i);
  if (c < 0x80) return 1;
  std::size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (len == 0 || i + len > bytes.size()) return 0;
  for (std::size_t k = 1; k < len; ++k)
    if ((at(i + k) & 0xC0) != 0x80) return 0;
  unsigned char second = at(i + 1);
  if (c == 0xE0 && second < 0xA0) return 0;  // overlong
  if (c == 0xED && second > 0x9F) return 0;  // surrogate
  if (c == 0xF0 && second < 0x90) return 0;  // overlong
  if (c == 0xF4 && second > 0x8F) return 0;  // above U+10FFFF
  return len;
}

const char kHex[] = "0123456789abcdef";

}  // namespace

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t len = SequenceLength(bytes, i);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes.substr(i, len));
      i += len;
    }
  }
  return out;
}

std::string HtmlEscape(std::string_view bytes) {
  std::string clean = hx::CleanXmlText(bytes);
  std::string out;
  out.reserve(clean.size() + 16);
  for (char c : clean) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '\r': out += "&#13;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string PlainText(std::string_view bytes, bool keepLineBreaks) {
  std::string valid = ValidUtf8(bytes), out;
  out.reserve(valid.size());
  for (char c : valid) {
    bool lineBreak = c == '\t' || c == '\n';
    if (static_cast<unsigned char>(c) < 0x20 && !(keepLineBreaks && lineBreak)) out += "\xEF\xBF\xBD";
    else out += c;
  }
  return out;
}

std::string JsonString(std::string_view bytes) {
  std::string clean = ValidUtf8(bytes);
  std::string out = "\"";
  for (char c : clean) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

namespace {

std::string LevelName(long long level) {
  switch (level) {
    case 1: return "Full";
    case 2: return "Incr";
    case 3: return "Diff";
    case 4: return "Synth";
    default: return "L" + std::to_string(level);
  }
}

std::string StartTime(long long seconds) {
  if (seconds < 0) return "";
  long long h = seconds / 3600 % 24, m = seconds / 60 % 60;
  return " " + std::string(h < 10 ? "0" : "") + std::to_string(h) + ":" + (m < 10 ? "0" : "") + std::to_string(m);
}

}  // namespace

ScheduleCells ScheduleText(const SchedulePolicyRow& policy, const char* join) {
  ScheduleCells cells;
  std::set<std::string> monthDays;  // a monthly schedule repeats a day once per subtask name
  for (const ScheduleSlot& slot : policy.slots) {
    std::string what = LevelName(slot.level) + StartTime(slot.startSeconds);
    std::string day = "day " + std::to_string(slot.dayOfMonth) + ": " + what;
    if (slot.monthly && monthDays.insert(day).second) cells.monthly += (cells.monthly.empty() ? "" : "; ") + day;
    for (int d = 0; d < 7 && !slot.monthly; ++d)
      if (slot.weekDays & (1u << d)) cells.days[d] += (cells.days[d].empty() ? "" : join) + what;
  }
  return cells;
}

}  // namespace nwk
