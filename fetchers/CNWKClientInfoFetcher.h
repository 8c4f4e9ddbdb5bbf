// Reads "print type:NSR client" into the client map: every client resource
// becomes one policy per group of its client (resources of one client name, in
// whatever case, merge into one client); learns the server and main media
// agent names; names every grouped policy through the save set map.
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "handler/CForeignHandlerNWK.h"

class CNWKClientInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_client.txt";

  void set_JobResultsDir(const std::string& dir) { m_jobResultsDir = dir; }

  // Reads the resources into `clients` and, when the server name is known at
  // the end, names the policies through the save set maps in `mapDir`. False
  // when no server name was found or a save set map could not be saved.
  static bool ParseClientReport(std::string_view text, NWKClientMap* clients, const std::string& mapDir);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR client"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }

 private:
  std::string m_jobResultsDir;
};
