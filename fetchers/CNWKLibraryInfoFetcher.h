// Reads "print type:NSR jukebox" into NWKLibrary objects: name, model, drive
// and device counts and the barcodes of the volumes in each jukebox.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKLibrary.h"

class CNWKLibraryInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_libraries.txt";

  // Appends one library per "name:" line of `text`.
  static void ParseLibraryReport(const ReportText& text, std::vector<NWKLibrary>* libraries);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR jukebox"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
