// Reads "print type:NSR pool" into NWKStoragePolicy objects: each pool's name
// and the devices it lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKStoragePolicy.h"

class CNWKStoragePolicyInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_storagepolicies.txt";

  // Appends one pool per "name:" line of `text`, in report order.
  static void ParsePoolReport(const ReportText& text, std::vector<NWKStoragePolicy>* pools);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR pool"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
