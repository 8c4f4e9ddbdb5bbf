// Server report: the first "name:" attribute of "print type:NSR" is the
// server resource's own name.
//
//                         type: NSR;
//                         name: nwsrv01;
//                      version: NetWorker 8.2.2.6.Build.985;
#include "fetchers/CNWKServerInfoFetcher.h"

#include "handler/ReportReader.h"
#include "handler/TextUtils.h"
#include "hx/Log.h"

std::string CNWKServerInfoFetcher::_GetCommandLine() { return NsradminCommandLine("print type:NSR"); }

std::string CNWKServerInfoFetcher::ParseServerReport(std::string_view text, NWKClientMap* clients) {
  ReportReader reader(text, "tarn_server.txt", ReportReader::Layout::kResources);
  std::string line;
  while (reader.Next(&line)) {
    if (!StartsWith(line, "name")) continue;
    std::string name = CForeignHandlerNWK::GetAttributeValue(line, ':');
    NWKClientInfo server;
    server.set_clientName(name);
    server.set_isMediaServer(true);
    server.set_isMasterServer(true);
    clients->emplace(name, server);
    CForeignHandlerNWK::set_NWKServerName(name);
    return name;
  }
  return std::string();
}

bool CNWKServerInfoFetcher::_ParseData(void* context, const std::string& path) {
  const char* kFunc = "CNWKServerInfoFetcher::_ParseData";
  ParseServerReport(ReadReport(path), static_cast<NWKClientMap*>(context));
  std::string server = CForeignHandlerNWK::get_NWKServerName();
  EvEvent log;
  if (server.empty())
    log.DebugLvl(kFunc, -1, "WARNING: Failed to determine server name from tarn_server.txt");
  else
    log.DebugLvl(kFunc, -1, "Networker server name is [%s]", server.c_str());
  return true;
}
