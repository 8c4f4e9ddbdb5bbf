// Fuzzes the media report parser: false exactly when the report has no
// line, volumes and dates without commas or line ends, reading the report
// again over its own result changes nothing (the first row of a volume
// wins), and every date goes through the date formats a server may use.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <map>
#include <string>

#include "fetchers/CNWKMediaInfoFetcher.h"
#include "FuzzSupport.h"
#include "text/CNWKDateFormatter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::map<std::string, std::string> expiry;
  bool ok = CNWKMediaInfoFetcher::ParseMediaReport(text, &expiry);

  bool anyLine = false;
  fuzzsupport::ForEachLine(text, [&](const std::string& line) { anyLine = anyLine || !line.empty(); });
  if (ok != anyLine) __builtin_trap();
  for (const auto& [volume, date] : expiry)
    if (volume.find_first_of(",\n") != std::string::npos || date.find_first_of(",\n") != std::string::npos)
      __builtin_trap();
  std::map<std::string, std::string> again = expiry;
  CNWKMediaInfoFetcher::ParseMediaReport(text, &again);
  if (again != expiry) __builtin_trap();

  for (const char* format : {"dd/MM/yyyy", "MM/dd/yy", "yyyy-MM-dd", "d.M.yyyy"}) {
    CNWKDateFormatter dates(format);
    for (const auto& entry : expiry) {
      tm when{};
      unsigned long seconds = 0;
      dates.GetTMStruct(entry.second, "", false, &when, &seconds);
    }
  }
  return 0;
}
