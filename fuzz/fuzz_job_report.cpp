// Fuzzes the save set report parser: never more records than lines, a manual
// run keeps group-less rows only, a live run never takes its first line, and
// a record's names hold no comma except the save set name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "fetchers/CNWKJobInfoFetcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  const bool manual = data[0] & 1, live = data[0] & 2;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t lines = 0;
  fuzzsupport::ForEachLine(text, [&](const std::string& line) { lines += !line.empty(); });
  std::vector<NWKJobInfo> jobs;
  CNWKJobInfoFetcher::ParseJobReport(text, manual ? "" : "Daily", live, &jobs);
  if (jobs.size() > lines - (live && lines > 0 ? 1 : 0)) __builtin_trap();
  for (const NWKJobInfo& job : jobs) {
    if (manual && !job.get_groupName().empty()) __builtin_trap();
    for (const std::string& name : {job.get_groupName(), job.get_clientName(), job.get_backupLevel(), job.get_media()})
      if (name.find(',') != std::string::npos || name.find('\n') != std::string::npos) __builtin_trap();
  }
  return 0;
}
