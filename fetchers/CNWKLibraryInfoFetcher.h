// Reads "print type:NSR jukebox" into NWKLibrary objects: name, model, drive
// and device counts and the barcodes of the volumes in each jukebox.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKLibrary.h"

class ReportReader;

class CNWKLibraryInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_libraries.txt";

  // Appends one library per "name:" line of `text`.
  static void ParseLibraryReport(const ReportText& text, std::vector<NWKLibrary>* libraries);

  // The value of a list attribute `line` (a jukebox's barcodes, a pool's
  // devices), read on over the following lines when it is a lone "\" or ends
  // with ',', up to the line ending with ';' or the end of the report.
  // Continuation lines are joined without a separator.
  static std::string ReadListValue(ReportReader& reader, const std::string& line);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR jukebox"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
