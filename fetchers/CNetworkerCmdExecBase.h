// Base of every NetWorker fetcher: adds the nsradmin input script file to the
// host's command runner. The file is deleted when the fetcher goes.
#pragma once

#include <string>
#include <string_view>

#include "hx/CmdExecBase.h"
#include "hx/Files.h"

class CNetworkerCmdExecBase : public CForeignCmdExecBase {
 public:
  CNetworkerCmdExecBase();
  ~CNetworkerCmdExecBase() override;

  // Writes `script` as the one line of the input file.
  void PrepareInputFileWithCommand(const std::string& script);
  std::string GetInputFilePath() const { return m_inputFilePath; }

 protected:
  // Writes the script and returns: nsradmin < "<input file>".
  std::string NsradminCommandLine(const std::string& script);
  // The output file's text, mapped in place; a file that cannot be read is empty.
  static hx::MappedFile ReadReport(const std::string& path);

 private:
  std::string m_inputFilePath;
};
