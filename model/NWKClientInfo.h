// One NetWorker client host: its name, OS, version, server roles and its
// backup definitions (the first is always the default "Manual" resource).
#pragma once

#include <string>
#include <vector>

#include "model/NWKPolicyInfo.h"

class CNMessageBase;
namespace App {
class ClientsList;
}  // namespace App

class NWKClientInfo {
 public:
  const std::string& get_clientName() const { return m_clientName; }
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

  // The host's tree for this client: the client record, one agent entry per
  // application type, instances, backup sets and one subclient per resource.
  // Appended to `list`; false at the first step that fails. `info` below is
  // the App::ClientInfo element of the list.
  bool BuildClientHierarchy(App::ClientsList* list);
  bool BuildPVXInfo(CNMessageBase* info);
  bool BuildClientInfo(CNMessageBase* info);
  bool BuildMasterServerInfo(CNMessageBase* info);
  bool BuildMediaServerInfo(CNMessageBase* info);
  bool SetClientProperties(CNMessageBase* info);
  bool BuildInstanceInfo(CNMessageBase* pvx, NWKPolicyInfo* policy);
  bool BuildBackupsetInfo(CNMessageBase* instance, NWKPolicyInfo* policy);
  bool BuildSubclientInfo(CNMessageBase* backupSet, NWKPolicyInfo* policy);
  // A file system subclient's content: "All" is shown as the root path; the
  // resource keeps "All", which job matching relies on.
  bool _CreateFSSubclient(CNMessageBase* subclient, NWKPolicyInfo* policy);
  bool _CreateMSSQLSubclient(CNMessageBase* subclient, NWKPolicyInfo* policy);
  bool SetCommonSubclientProperties(CNMessageBase* subclient, NWKPolicyInfo* policy);

 private:
  std::string m_clientName;
  std::string m_osName;
  std::string m_clientVersion;
  bool m_isMasterServer = false;
  bool m_isMediaServer = false;
  std::vector<NWKPolicyInfo> m_policyList;
};
