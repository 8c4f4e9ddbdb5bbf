// Fuzzes the shared report line reader and the attribute cutter. Read as
// resources, a report gives the same lines as read plainly, each once, only
// in another order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "handler/CForeignHandlerNWK.h"
#include "handler/ReportReader.h"

namespace {

std::vector<std::pair<size_t, std::string>> ReadAll(std::string_view text, ReportReader::Layout layout) {
  ReportReader reader(text, "fuzz", layout);
  std::vector<std::pair<size_t, std::string>> lines;
  std::string line;
  while (reader.Next(&line)) lines.emplace_back(reader.lineNumber(), line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::pair<size_t, std::string>> plain = ReadAll(text, ReportReader::Layout::kLines);
  size_t lastLine = 0;
  for (const auto& [number, line] : plain) {
    if (line.empty() || line.back() == '\r' || line.front() == ' ' || number <= lastLine) __builtin_trap();
    lastLine = number;
    std::string value = CForeignHandlerNWK::GetAttributeValue(line, ':');
    if (value.size() > line.size()) __builtin_trap();
  }
  std::vector<std::pair<size_t, std::string>> resources = ReadAll(text, ReportReader::Layout::kResources);
  std::sort(resources.begin(), resources.end());
  if (resources != plain) __builtin_trap();
  return 0;
}
