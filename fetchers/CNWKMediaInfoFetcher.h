// Reads mminfo's media report into a map from volume name to its expiry date,
// as printed in the server's date format.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"

class CNWKMediaInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_mediainfo.txt";

  // Adds the volumes of `text` (the first line is the header) to `expiry`; a
  // volume already there keeps its date. False when `text` has no line.
  static bool ParseMediaReport(std::string_view text, std::map<std::string, std::string>* expiry);

 protected:
  std::string _GetCommandLine() override { return MminfoCommandLine("-xc, -m -av"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
