// Storage node report: only the "name:" lines matter.
//
//                         type: NSR Storage Node;
//                         name: snode01;
#include "fetchers/CNWKStorageNodeFetcher.h"

#include "handler/ReportReader.h"
#include "handler/TextUtils.h"

void CNWKStorageNodeFetcher::ParseStorageNodeReport(std::string_view text, NWKClientMap* clients) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  std::string line;
  while (reader.Next(&line)) {
    if (!HasPrefix(line, "name:")) continue;
    std::string name = CForeignHandlerNWK::GetAttributeValue(line, ':');
    auto [it, inserted] = clients->emplace(name, NWKClientInfo());
    if (inserted) it->second.set_clientName(name);
    it->second.set_isMediaServer(true);
  }
}

bool CNWKStorageNodeFetcher::_ParseData(void* context, const std::string& path) {
  ParseStorageNodeReport(ReadReport(path), static_cast<NWKClientMap*>(context));
  return true;
}
