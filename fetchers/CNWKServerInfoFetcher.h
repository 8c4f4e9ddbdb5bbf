// Finds the NetWorker server's name from "print type:NSR" and enters the
// server into the client map as master and media server.
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKMaps.h"

class CNWKServerInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_server.txt";

  // The name on the first "name" line of the report (empty when there is
  // none). A name found is entered into `clients` (an existing entry stays as
  // it is) and becomes the server name of ServerFacts.
  static std::string ParseServerReport(const ReportText& text, NWKClientMap* clients);

 protected:
  std::string _GetCommandLine() override;
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
