// Storage node report: only the "name:" lines matter.
//
//                         type: NSR Storage Node;
//                         name: snode01;
#include "fetchers/CNWKStorageNodeFetcher.h"

#include "text/Attributes.h"
#include "text/TextUtils.h"

void CNWKStorageNodeFetcher::ParseStorageNodeReport(const ReportText& text, NWKClientMap* clients) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  std::string line;
  while (reader.Next(&line)) {
    if (!HasPrefix(line, "name:")) continue;
    std::string name = AttributeValue(line, ':');
    auto [it, inserted] = clients->emplace(name, NWKClientInfo());
    if (inserted) it->second.set_clientName(name);
    it->second.set_isMediaServer(true);
  }
}

bool CNWKStorageNodeFetcher::_ParseData(void* context, const std::string& path) {
  const ReportText report = ReadReport(path);
  ParseStorageNodeReport(report, static_cast<NWKClientMap*>(context));
  return report.readError().empty();
}
