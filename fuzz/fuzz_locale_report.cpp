// Fuzzes the locale parser and feeds what it finds to the date formatter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fetchers/CNWKLocaleInfoFetcher.h"
#include "text/CNWKDateFormatter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 16)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string format;
  CNWKLocaleInfoFetcher::ParseLocaleReport(text, &format, nullptr);
  if (format.empty()) __builtin_trap();  // the format is never left empty
  // The last line doubles as a date written in that format.
  std::string date(text.substr(text.rfind('\n') == std::string_view::npos ? 0 : text.rfind('\n') + 1));
  CNWKDateFormatter formatter(format);
  tm out{};
  unsigned long stamp = 0;
  if (formatter.GetTMStruct(date, "", false, &out, &stamp) && (out.tm_mon < 0 || out.tm_mon > 11)) __builtin_trap();
  return 0;
}
