// Fuzzes the host link's XML reader: whatever it accepts must write back as
// XML that reads back to the same message.
#include <cstddef>
#include <cstdint>
#include <string>

#include "hx/Message.h"
#include "hx/XmlForm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 18)) return 0;
  CNMessageBase msg(0, 0);
  std::string error;
  if (!hx::ReadMessageXml(std::string_view(reinterpret_cast<const char*>(data), size), &msg, &error)) return 0;
  std::string first, second;
  if (!hx::WriteMessageXml(msg, &first, &error)) __builtin_trap();
  CNMessageBase again(0, 0);
  if (!hx::ReadMessageXml(first, &again, &error)) __builtin_trap();
  if (!hx::WriteMessageXml(again, &second, &error) || first != second) __builtin_trap();
  return 0;
}
