// Reads "print type:NSR Directive" into the directive map: for each directive
// only whether its body asks for encryption ("+aes") or compression
// ("+compressasm").
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKMaps.h"

class CNWKDirectiveInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_directive.txt";

  static void ParseDirectiveReport(const ReportText& text, NWKDirectiveMap* directives);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR Directive"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
