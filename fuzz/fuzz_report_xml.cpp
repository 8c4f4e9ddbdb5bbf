// Fuzzes the report's pull reader of message files: it must never crash, and
// whenever the strict reader accepts the document, the rows it streams must
// be the rows taken from the message the strict reader built.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EstateExtract.h"
#include "ReportStream.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

namespace {

// Every row as one line of text, in the order given.
class RowText : public nwk::EstateSink {
 public:
  void Client(const nwk::ClientRow& r) override { Add("client", r.name + "|" + r.os + "|" + r.server, r.agents); }
  void Resource(const nwk::ResourceRow& r) override {
    Add("resource", r.client + "|" + r.subclient + "|" + r.application + Flags({r.hasProperties, r.compressed, r.encrypted,
                                                                                 r.otherAgent, r.defaultManual}),
        r.saveSets);
  }
  void SchedulePolicy(const nwk::SchedulePolicyRow& r) override {
    Add("policy", r.name + "|" + std::to_string(r.slots.size()), r.subclients);
  }
  void Library(const nwk::LibraryRow& r) override { Add("library", r.name + "|" + std::to_string(r.drives), {}); }
  void Medium(const nwk::MediumRow& r) override {
    Add("medium", r.volume + "|" + r.library + "|" + std::to_string(r.retention) + "|" + std::to_string(r.jobs) +
                      Flags({r.hasRetention}), {});
  }
  void Pool(const nwk::PoolRow& r) override { Add("pool", r.name + "|" + r.description, r.copies); }
  void Job(const nwk::JobRow& r) override {
    Add("job", r.client + "|" + std::to_string(r.startTime) + "|" + std::to_string(r.bytes), {});
  }
  void Attention(const nwk::AttentionRow& r) override { Add("attention", r.kind + "|" + r.subject, {}); }
  std::string text;

 private:
  static std::string Flags(std::initializer_list<bool> flags) {
    std::string out = "|";
    for (bool flag : flags) out += flag ? '1' : '0';
    return out;
  }
  void Add(const char* kind, const std::string& fields, const std::vector<std::string>& items) {
    text += std::string(kind) + "|" + fields;
    for (const std::string& item : items) text += "|" + item;
    text += '\n';
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1 << 18)) return 0;
  const auto& kinds = nwk::MessageKinds();
  const nwk::MessageRows& kind = kinds[data[0] % kinds.size()];
  std::string xml(reinterpret_cast<const char*>(data) + 1, size - 1), error;
  RowText streamed, extracted;
  bool read = nwk::StreamMessageText(xml, "fuzz.xml", kind, streamed, &error);
  CNMessageBase msg(0, 0);
  if (!hx::ReadMessageXml(xml, &msg, &error) || !msg.className() || std::string(msg.className()) != kind.className)
    return 0;
  nwk::ExtractMessage(msg, extracted);
  if (!read || streamed.text != extracted.text) __builtin_trap();
  return 0;
}
