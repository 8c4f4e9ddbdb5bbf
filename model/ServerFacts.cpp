// ServerFacts: the one set of server facts, and the names made from them.
#include "model/ServerFacts.h"

#include <unistd.h>

ServerFacts& ServerFacts::Current() {
  static ServerFacts facts;
  return facts;
}

std::string ServerFacts::ZonarName() const {
  std::string server = serverName;
  if (server.empty()) {
    char host[65] = {};
    if (gethostname(host, sizeof host - 1) == 0) server = host;
  }
  return "NETWORKER_" + server;
}

const std::string& ServerFacts::DefaultPolicyName() {
  if (m_defaultPolicyName.empty()) m_defaultPolicyName = ("EMC_Networker_Policy_" + serverName).substr(0, 100);
  return m_defaultPolicyName;
}

std::string ServerFacts::DefaultLibraryName() const { return "DefaultLibrary_NETWORKER_" + serverName; }
