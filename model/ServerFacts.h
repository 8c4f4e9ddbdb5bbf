// What the plug-in has learnt about the NetWorker server it inspects: the
// first operations find these facts, the builders of all later ones use them.
#pragma once

#include <string>

struct ServerFacts {
  std::string serverName;      // from the server report, else the client that names itself its server
  std::string mainMediaAgent;  // the storage node whose short name is the server's
  std::string dateFormat;      // the server's short date format, settled by configuration discovery

  // The facts of this process: the host loads one handler per process, and
  // the builders of every operation read the same server's facts. Tests
  // reset them with `ServerFacts::Current() = ServerFacts();`.
  static ServerFacts& Current();

  // "NETWORKER_" + server name (the local host name while no server is known).
  std::string ZonarName() const;
  // "EMC_Networker_Policy_" + server name (at most 100 characters), fixed at
  // the first call so that every job names the same policy.
  const std::string& DefaultPolicyName();
  // The library that holds media no jukebox or device claims.
  std::string DefaultLibraryName() const;

 private:
  std::string m_defaultPolicyName;
};
