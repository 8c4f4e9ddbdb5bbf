// CNetworkerCmdExecBase: the nsradmin input file and command line.
#include "fetchers/CNetworkerCmdExecBase.h"

#include <unistd.h>

#include "hx/CommandLine.h"
#include "hx/Files.h"

namespace {

// " -s "<server>"" when the job names a server, else nothing, so that commands
// stay as they were for the machine's own server. The name is one word whatever
// it holds: blanks, quotes and $(...) stay text for the tool.
std::string ServerOption() {
  const std::string server = CForeignCmdExecBase::get_ForeignServer();
  return server.empty() ? std::string() : " -s \"" + hx::EscapeForDoubleQuotes(server) + "\"";
}

}  // namespace

CNetworkerCmdExecBase::CNetworkerCmdExecBase()
    : CForeignCmdExecBase(kCommunicationCommandLine), m_inputFilePath(GetFileNameForOutput(0)) {
  m_commandText.clear();
}

CNetworkerCmdExecBase::~CNetworkerCmdExecBase() { unlink(m_inputFilePath.c_str()); }

void CNetworkerCmdExecBase::PrepareInputFileWithCommand(const std::string& script) {
  HxFile file;
  file.open(m_inputFilePath, 3, 0, 0);
  file.putLine(script, true);
  file.close();
}

std::string CNetworkerCmdExecBase::NsradminCommandLine(const std::string& script) {
  PrepareInputFileWithCommand(script);
  return "nsradmin" + ServerOption() + " < \"" + GetInputFilePath() + "\"";
}

std::string CNetworkerCmdExecBase::MminfoCommandLine(const std::string& arguments) {
  return "mminfo" + ServerOption() + " " + arguments;
}

hx::MappedFile CNetworkerCmdExecBase::ReadReport(const std::string& path) { return hx::MappedFile(path); }
