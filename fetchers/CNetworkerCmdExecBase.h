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
  // Writes the script and returns: nsradmin < "<input file>", with -s "<server>"
  // before the redirection when the job names a server.
  std::string NsradminCommandLine(const std::string& script);
  // "mminfo <arguments>", with -s "<server>" first when the job names a server.
  static std::string MminfoCommandLine(const std::string& arguments);
  // The output file's text, mapped in place; a file that cannot be read is empty.
  static hx::MappedFile ReadReport(const std::string& path);

 private:
  std::string m_inputFilePath;
};
