// Reads "print type:NSR device" into NWKDrive objects: name, media family and
// type, mounted volume and parent jukebox of each device.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKDrive.h"

class CNWKDriveInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_drives.txt";

  // Appends one device per "name:" line of `text`.
  static void ParseDriveReport(const ReportText& text, std::vector<NWKDrive>* drives);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR device"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
