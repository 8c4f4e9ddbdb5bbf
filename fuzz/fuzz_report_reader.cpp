// Fuzzes the shared report line reader and the attribute cutter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "handler/CForeignHandlerNWK.h"
#include "text/ReportReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ReportReader reader(text, "fuzz");
  std::string line;
  size_t lastLine = 0;
  while (reader.Next(&line)) {
    if (line.empty() || line.back() == '\r' || line.front() == ' ' || reader.lineNumber() <= lastLine) __builtin_trap();
    lastLine = reader.lineNumber();
    std::string value = CForeignHandlerNWK::GetAttributeValue(line, ':');
    if (value.size() > line.size()) __builtin_trap();
  }
  return 0;
}
