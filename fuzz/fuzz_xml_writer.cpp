// Fuzzes the message XML writer against libxml2's text writer: messages built
// from the input must come out as the same bytes from both, and read back (with
// libxml2) to a message that writes the same document again. A copy of the
// message with its parts shared writes the same, and changing the copy's parts
// leaves the message as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "MessageGenerator.h"
#include "host/src/XmlReferenceWriter.h"
#include "hx/XmlForm.h"

namespace {

void ChangedSharedCopyLeavesTheOriginal(CNMessageBase& msg, const std::string& written) {
  msg.Share();
  CNMessageBase copy = msg;
  std::string again, error;
  if (!hx::WriteMessageXml(copy, &again, &error) || again != written) __builtin_trap();
  for (size_t n = 0; n < copy.fieldCount(); ++n) {
    const short i = copy.field(n).index(), t = copy.field(n).tag();
    if (copy.field(n).kind() == hx::FieldKind::kMessage) {
      copy.getObjectAccessor(true, false, i, t, 0, 0, 0, 0)->setint64(9999, 1, 1);
    } else if (copy.field(n).kind() == hx::FieldKind::kMessageList) {
      std::vector<CNMessageBase>* list = copy.getlistobject(i, t, 0, 0, false);
      if (!list->empty()) list->front().setint64(9999, 1, 1);
    }
  }
  if (!hx::WriteMessageXml(msg, &again, &error) || again != written) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1 << 16)) return 0;
  size_t at = 0;
  auto source = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  fuzzsupport::MessageGenerator<decltype(source)> generator(source);
  CNMessageBase msg = generator.Message(data[0] % 8 == 0 ? hx::kMaxMessageDepth + 2 : 5);
  std::string fast, reference, fastError, referenceError;
  bool written = hx::WriteMessageXml(msg, &fast, &fastError);
  if (written != hx::WriteMessageXmlReference(msg, &reference, &referenceError)) __builtin_trap();
  if (!written) {
    if (fastError != referenceError) __builtin_trap();
    return 0;
  }
  if (fast != reference) __builtin_trap();
  ChangedSharedCopyLeavesTheOriginal(msg, fast);
  if (!generator.readable()) return 0;
  CNMessageBase back(0, 0);
  std::string again, error;
  if (!hx::ReadMessageXml(fast, &back, &error)) __builtin_trap();
  if (!hx::WriteMessageXml(back, &again, &error) || again != fast) __builtin_trap();
  return 0;
}
