// Building the host's client tree from one NetWorker client and its resources.
#include "model/NWKClientInfo.h"

#include "model/HostMapping.h"
#include "model/ServerFacts.h"
#include "model/MessageBuild.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

using msgbuild::Append;
using msgbuild::Nested;

namespace {

const char* kFunc = "NWKClientInfo::BuildClientHierarchy";

// Where a resource goes in the tree: its type and the names of its nodes.
struct Placement {
  HxAppType type = hxapp::kOtherExternalAgent;
  std::string typeName, instance, backupSet, subclient;
};

Placement PlacementOf(const NWKClientInfo& client, const NWKPolicyInfo& policy) {
  Placement p;
  p.type = hostmap::GetHxAppType(&client, &policy, p.typeName);
  hostmap::BuildInstanceBackupsetSubclientNames(p.type, policy, p.instance, p.backupSet, p.subclient, "");
  return p;
}

// The nested message at 1/1 that names a node, or null when it has none.
CNMessageBase* IdOf(CNMessageBase* node, int type) { return node->getObjectAccessor(true, false, 1, 1, 0, 0, 18, type); }

// The element of the list at i/t whose name message (class (18, nameType))
// holds `name` at 1/1; null when none does.
CNMessageBase* FindNamed(CNMessageBase* parent, short i, short t, int nameType, const std::string& name) {
  std::vector<CNMessageBase>* list = msgbuild::List(parent, i, t);
  if (!list) return nullptr;
  for (CNMessageBase& element : *list) {
    CNMessageBase* id = IdOf(&element, nameType);
    if (id && id->getstring(1, 1) == name) return &element;
  }
  return nullptr;
}

// The agent entry of the client record for application type `type`.
CNMessageBase* FindAgent(CNMessageBase* record, HxAppType type) {
  std::vector<CNMessageBase>* agents = msgbuild::List(record, 20, 29);
  if (!agents) return nullptr;
  for (CNMessageBase& agent : *agents) {
    CNMessageBase* id = IdOf(&agent, 5);
    if (id && id->getint64(0) == type) return &agent;
  }
  return nullptr;
}

CNMessageBase* NameMessage(CNMessageBase* node, int type) { return Nested(node, 1, 1, 18, type); }

void AddComponent(CNMessageBase* record, long long componentType) {
  CNMessageBase* component = Append<App::ComponentInfo>(record, 19, 28);
  Nested(component, 1, 1, 18, 2)->setint64(0, 0, componentType);
  component->setstring(2, 2, "-NA-");
}

// A content entry of a subclient: kind 1 and the path, no name.
void AddContent(CNMessageBase* subclient, const std::string& value) {
  CNMessageBase* attribute = Append<App::AttributeInfoEx>(subclient, 7, 10);
  attribute->setint64(4, 7, 1);
  attribute->setstring(5, 8, value);
}

void AddAttributeEx(CNMessageBase* node, short i, short t, const std::string& name, long long kind,
                    const std::string& value) {
  CNMessageBase* attribute = Append<App::AttributeInfoEx>(node, i, t);
  attribute->setstring(3, 3, name);
  attribute->setint64(4, 7, kind);
  attribute->setstring(5, 8, value);
}

void AddProperty(CNMessageBase* holder, const std::string& name, long long kind, const std::string& value) {
  CNMessageBase* attribute = Append<App::AttributeInfo>(holder, 113, 167);
  attribute->setstring(2, 2, name);
  attribute->setint64(3, 6, kind);
  attribute->setstring(4, 7, value);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

CNMessageBase* ClientRecord(CNMessageBase* info) { return Nested(info, 1, 1, 30, 115); }

}  // namespace

bool NWKClientInfo::BuildClientHierarchy(App::ClientsList* list) {
  CNMessageBase* client = Append<App::ClientInfo>(list, 1, 1);
  EvEvent log;
  const char* name = m_clientName.c_str();
  log.DebugLvl(kFunc, 4, "Building PVX information for client[%s]", name);
  if (!BuildPVXInfo(client)) {
    log.DebugLvl(kFunc, 0, "Failed to build PVX Information for client[%s]", name);
    return false;
  }
  log.DebugLvl(kFunc, 4, "Building client information for client[%s]", name);
  if (!BuildClientInfo(client)) {
    log.DebugLvl(kFunc, 0, "Failed to build Client Information  for client[%s]", name);
    return false;
  }
  log.DebugLvl(kFunc, 4, "Building Master Server Information for client[%s]", name);
  if (!BuildMasterServerInfo(client)) {
    log.DebugLvl(kFunc, 0, "Failed to build Master Server Information  for client[%s]", name);
    return false;
  }
  log.DebugLvl(kFunc, 4, "Building Media Server Information for client[%s]", name);
  bool status = BuildMediaServerInfo(client);
  log.DebugLvl(kFunc, 4, "Setting Client properties for client[%s]", name);
  SetClientProperties(client);
  return status;
}

bool NWKClientInfo::BuildPVXInfo(CNMessageBase* info) {
  bool status = true;
  CNMessageBase* record = ClientRecord(info);
  for (NWKPolicyInfo& policy : m_policyList) {
    Placement p = PlacementOf(*this, policy);
    CNMessageBase* agent = FindAgent(record, p.type);
    if (!agent) {
      agent = Append<App::PVXInfo>(record, 20, 29);
      CNMessageBase* id = Nested(agent, 1, 1, 18, 5);
      id->setint64(0, 0, p.type);
      id->setstring(1, 1, p.typeName);
      agent->setint64(2, 2, 8194);
    }
    status = BuildInstanceInfo(agent, &policy);
  }
  return status;
}

bool NWKClientInfo::BuildInstanceInfo(CNMessageBase* pvx, NWKPolicyInfo* policy) {
  Placement p = PlacementOf(*this, *policy);
  CNMessageBase* instance = FindNamed(pvx, 6, 6, 8, p.instance);
  if (!instance) {
    instance = Append<App::InstanceInfo>(pvx, 6, 6);
    NameMessage(instance, 8)->setstring(1, 1, p.instance);
  }
  if (p.type == hxapp::kSqlServer) AddAttributeEx(instance, 5, 5, "MSSQL Version", 1, "10.0.2531.0");
  return BuildBackupsetInfo(instance, policy);
}

bool NWKClientInfo::BuildBackupsetInfo(CNMessageBase* instance, NWKPolicyInfo* policy) {
  Placement p = PlacementOf(*this, *policy);
  CNMessageBase* backupSet = FindNamed(instance, 8, 8, 9, p.backupSet);
  if (!backupSet) {
    backupSet = Append<App::BackupSetInfo>(instance, 8, 8);
    NameMessage(backupSet, 9)->setstring(1, 1, p.backupSet);
    backupSet->setint64(2, 2, 10);
    CNMessageBase* first = Append<App::SubClientInfo>(backupSet, 6, 6);
    first->setint64(3, 6, 8);
    NameMessage(first, 10)->setstring(1, 1, "default");
  }
  return BuildSubclientInfo(backupSet, policy);
}

bool NWKClientInfo::BuildSubclientInfo(CNMessageBase* backupSet, NWKPolicyInfo* policy) {
  Placement p = PlacementOf(*this, *policy);
  CNMessageBase* subclient = nullptr;
  if (p.subclient == "default") {
    subclient = &msgbuild::List(backupSet, 6, 6)->front();
  } else {
    subclient = Append<App::SubClientInfo>(backupSet, 6, 6);
    subclient->setint64(3, 6, 0);
  }
  NameMessage(subclient, 10)->setstring(1, 1, p.subclient);
  if (p.type == hxapp::kWindowsFileSystem || p.type == hxapp::kLinuxFileSystem) {
    _CreateFSSubclient(subclient, policy);
  } else if (p.type == hxapp::kSqlServer) {
    _CreateMSSQLSubclient(subclient, policy);
  } else {
    for (const std::string& entry : policy->get_const_backuplistref()) AddContent(subclient, entry);
  }
  return SetCommonSubclientProperties(subclient, policy);
}

bool NWKClientInfo::_CreateFSSubclient(CNMessageBase* subclient, NWKPolicyInfo* policy) {
  std::string appTypeName;
  HxAppType type = hostmap::GetHxAppType(this, policy, appTypeName);
  const char* root = type == hxapp::kWindowsFileSystem ? "\\" : "/";
  for (const std::string& entry : policy->get_const_backuplistref())
    AddContent(subclient, compareNoCase(entry, "All") == 0 ? root : entry);
  return true;
}

bool NWKClientInfo::_CreateMSSQLSubclient(CNMessageBase* subclient, NWKPolicyInfo* policy) {
  for (const std::string& entry : policy->get_const_backuplistref()) {
    size_t colon = entry.find(':');
    AddAttributeEx(subclient, 6, 9, colon == std::string::npos ? entry : entry.substr(colon + 1), 118, "0 0");
  }
  return true;
}

bool NWKClientInfo::SetCommonSubclientProperties(CNMessageBase* subclient, NWKPolicyInfo* policy) {
  AddAttributeEx(subclient, 6, 9, "compression", 2, policy->get_compression() ? "0" : "2");
  AddAttributeEx(subclient, 6, 9, "Encrypt: encryption", 2, policy->get_encryption() ? "2" : "0");
  return true;
}

bool NWKClientInfo::BuildClientInfo(CNMessageBase* info) {
  CNMessageBase* record = ClientRecord(info);
  record->setstring(4, 7, "EMC Networker Client");
  record->setstring(3, 3, "2");
  record->setint64(11, 17, 8600);
  record->setint64(10, 16, 8602);
  record->setint64(12, 18, 2);
  CNMessageBase* entity = Nested(record, 1, 1, 18, 4);
  entity->setstring(1, 1, m_clientName);
  entity->setstring(2, 5, m_clientName);
  AddComponent(record, 3);
  hostmap::PopulateOsInfo(Nested<App::OperatingSystem>(record, 2, 2), m_osName);
  return true;
}

bool NWKClientInfo::BuildMasterServerInfo(CNMessageBase* info) {
  if (!m_isMasterServer) return true;
  CNMessageBase* master = Nested(info, 2, 2, 30, 140);
  master->setstring(11, 20, GetTimeZoneDisplayNameA());
  Nested(ClientRecord(info), 6, 12, 18, 45)->setstring(1, 1, Narrow(GetTimeZoneDisplayNameW()));
  master->setint64(17, 41, 105);
  CNMessageBase* installation = Nested(master, 1, 1, 18, 3);
  installation->setstring(1, 1, ServerFacts::Current().ZonarName());
  installation->setint64(3, 9, 1);
  CNMessageBase id(18, 0);
  id.setint64(0, 0, 1);
  installation->setObjectAccessor(&id, 5, 11);
  return true;
}

bool NWKClientInfo::BuildMediaServerInfo(CNMessageBase* info) {
  if (m_isMediaServer) AddComponent(ClientRecord(info), 11);
  return true;
}

bool NWKClientInfo::SetClientProperties(CNMessageBase* info) {
  CNMessageBase* holder = Nested(info, 3, 3, 30, 136);
  AddProperty(holder, "Encrypt: encryption", 2, "1");
  AddProperty(holder, "Encrypt: Type", 7, "3");
  AddProperty(holder, "Encrypt: Key Length", 7, "256");
  if (!m_clientVersion.empty())
    AddProperty(holder, "Foreign Client Version", 7,
                (m_isMasterServer ? "EMC NetWorker Server " : "EMC NetWorker ") + m_clientVersion);
  return true;
}
