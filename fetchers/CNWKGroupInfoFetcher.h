// Reads "print type:NSR group" into the group map: start time, overriding
// schedule and repeat interval of each backup group.
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKMaps.h"

class CNWKGroupInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_group.txt";

  static void ParseGroupReport(const ReportText& text, NWKGroupMap* groups);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR group"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
