// One NetWorker client host: its name, OS, version, server roles and its
// backup definitions (the first is always the default "Manual" resource).
#pragma once

#include <string>
#include <vector>

#include "model/NWKPolicyInfo.h"

class NWKClientInfo {
 public:
  std::string get_clientName() const { return m_clientName; }
  void set_clientName(const std::string& value) { m_clientName = value; }
  std::string get_osName() const { return m_osName; }
  void set_osName(const std::string& value) { m_osName = value; }
  std::string get_clientVersion() const { return m_clientVersion; }
  void set_clientVersion(const std::string& value) { m_clientVersion = value; }
  bool get_isMasterServer() const { return m_isMasterServer; }
  void set_isMasterServer(bool value) { m_isMasterServer = value; }
  bool get_isMediaServer() const { return m_isMediaServer; }
  void set_isMediaServer(bool value) { m_isMediaServer = value; }
  std::vector<NWKPolicyInfo>& get_policyList() { return m_policyList; }
  const std::vector<NWKPolicyInfo>& get_policyList() const { return m_policyList; }

 private:
  std::string m_clientName;
  std::string m_osName;
  std::string m_clientVersion;
  bool m_isMasterServer = false;
  bool m_isMediaServer = false;
  std::vector<NWKPolicyInfo> m_policyList;
};
