// Reads "print type:NSR Storage Node" and marks every storage node as a media
// server in the client map (entering it when it is no client).
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKMaps.h"

class CNWKStorageNodeFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_storagenode.txt";

  static void ParseStorageNodeReport(const ReportText& text, NWKClientMap* clients);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR Storage Node"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
