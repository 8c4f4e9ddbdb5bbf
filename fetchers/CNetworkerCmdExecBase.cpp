// CNetworkerCmdExecBase: the nsradmin input file and command line.
#include "fetchers/CNetworkerCmdExecBase.h"

#include <unistd.h>

#include "hx/Files.h"

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
  return "nsradmin < \"" + GetInputFilePath() + "\"";
}
