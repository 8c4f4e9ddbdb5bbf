// Building the host's client tree from one NetWorker client and its resources.
#include "model/NWKClientInfo.h"

#include "fields/ClientFields.h"
#include "model/HostMapping.h"
#include "model/ServerFacts.h"
#include "model/MessageBuild.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

using namespace msgbuild;  // NOLINT: the builders' vocabulary

namespace {

using namespace clientfields;  // NOLINT: this file builds client trees only

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

// The entity that names a node, or null when it has none.
CNMessageBase* IdOf(CNMessageBase* node, int type) { return Existing(node, kNodeId, kEntityModule, type); }

// The element of the list at `f` whose name entity (class (18, nameType))
// holds `name`; null when none does.
CNMessageBase* FindNamed(CNMessageBase* parent, Field f, int nameType, const std::string& name) {
  std::vector<CNMessageBase>* list = List(parent, f);
  if (!list) return nullptr;
  for (CNMessageBase& element : *list) {
    CNMessageBase* id = IdOf(&element, nameType);
    if (id && GetString(*id, kNodeName) == name) return &element;
  }
  return nullptr;
}

// The agent entry of the client record for application type `type`.
CNMessageBase* FindAgent(CNMessageBase* record, HxAppType type) {
  std::vector<CNMessageBase>* agents = List(record, kAgents);
  if (!agents) return nullptr;
  for (CNMessageBase& agent : *agents) {
    CNMessageBase* id = IdOf(&agent, kAgentIdType);
    if (id && GetInt(*id, kAgentType) == type) return &agent;
  }
  return nullptr;
}

// Names a node: its name entity of class (18, type).
void SetNodeName(CNMessageBase* node, int type, const std::string& name) {
  Set(Nested(node, kNodeId, kEntityModule, type), kNodeName, name);
}

void AddComponent(CNMessageBase* record, long long componentType) {
  CNMessageBase* component = Append<App::ComponentInfo>(record, kComponents);
  Set(Nested(component, kComponentId, kEntityModule, kComponentIdType), kEntityValue, componentType);
  Set(component, kComponentNote, "-NA-");
}

// A content entry of a subclient: kind 1 and the path, no name.
void AddContent(CNMessageBase* subclient, const std::string& value) {
  CNMessageBase* attribute = Append<App::AttributeInfoEx>(subclient, kSubclientContent);
  Set(attribute, kAttributeKind, 1);
  Set(attribute, kAttributeValue, value);
}

void AddAttributeEx(CNMessageBase* node, Field list, const std::string& name, long long kind,
                    const std::string& value) {
  CNMessageBase* attribute = Append<App::AttributeInfoEx>(node, list);
  Set(attribute, kAttributeName, name);
  Set(attribute, kAttributeKind, kind);
  Set(attribute, kAttributeValue, value);
}

void AddProperty(CNMessageBase* holder, const std::string& name, long long kind, const std::string& value) {
  CNMessageBase* attribute = Append<App::AttributeInfo>(holder, kPropertyList);
  Set(attribute, kPropertyName, name);
  Set(attribute, kPropertyKind, kind);
  Set(attribute, kPropertyValue, value);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

CNMessageBase* ClientRecord(CNMessageBase* info) { return Nested(info, kRecord, kAppModule, kRecordType); }

}  // namespace

bool NWKClientInfo::BuildClientHierarchy(App::ClientsList* list) {
  CNMessageBase* client = Append<App::ClientInfo>(list, kClients);
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
      agent = Append<App::PVXInfo>(record, kAgents);
      CNMessageBase* id = Nested(agent, kAgentId, kEntityModule, kAgentIdType);
      Set(id, kAgentType, p.type);
      Set(id, kAgentTypeName, p.typeName);
      Set(agent, kAgentFixed, kAgentFixedValue);
    }
    status = BuildInstanceInfo(agent, &policy);
  }
  return status;
}

bool NWKClientInfo::BuildInstanceInfo(CNMessageBase* pvx, NWKPolicyInfo* policy) {
  Placement p = PlacementOf(*this, *policy);
  CNMessageBase* instance = FindNamed(pvx, kInstances, kInstanceNameType, p.instance);
  if (!instance) {
    instance = Append<App::InstanceInfo>(pvx, kInstances);
    SetNodeName(instance, kInstanceNameType, p.instance);
  }
  if (p.type == hxapp::kSqlServer) AddAttributeEx(instance, kInstanceAttributes, "MSSQL Version", 1, "10.0.2531.0");
  return BuildBackupsetInfo(instance, policy);
}

bool NWKClientInfo::BuildBackupsetInfo(CNMessageBase* instance, NWKPolicyInfo* policy) {
  Placement p = PlacementOf(*this, *policy);
  CNMessageBase* backupSet = FindNamed(instance, kBackupSets, kBackupSetNameType, p.backupSet);
  if (!backupSet) {
    backupSet = Append<App::BackupSetInfo>(instance, kBackupSets);
    SetNodeName(backupSet, kBackupSetNameType, p.backupSet);
    Set(backupSet, kBackupSetFixed, 10);
    CNMessageBase* first = Append<App::SubClientInfo>(backupSet, kSubclients);
    Set(first, kSubclientKind, 8);
    SetNodeName(first, kSubclientNameType, "default");
  }
  return BuildSubclientInfo(backupSet, policy);
}

bool NWKClientInfo::BuildSubclientInfo(CNMessageBase* backupSet, NWKPolicyInfo* policy) {
  Placement p = PlacementOf(*this, *policy);
  CNMessageBase* subclient = nullptr;
  if (p.subclient == "default") {
    subclient = &List(backupSet, kSubclients)->front();
  } else {
    subclient = Append<App::SubClientInfo>(backupSet, kSubclients);
    Set(subclient, kSubclientKind, 0);
  }
  SetNodeName(subclient, kSubclientNameType, p.subclient);
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
    AddAttributeEx(subclient, kSubclientProperties, colon == std::string::npos ? entry : entry.substr(colon + 1), 118,
                   "0 0");
  }
  return true;
}

bool NWKClientInfo::SetCommonSubclientProperties(CNMessageBase* subclient, NWKPolicyInfo* policy) {
  AddAttributeEx(subclient, kSubclientProperties, "compression", 2, policy->get_compression() ? "0" : "2");
  AddAttributeEx(subclient, kSubclientProperties, "Encrypt: encryption", 2, policy->get_encryption() ? "2" : "0");
  return true;
}

bool NWKClientInfo::BuildClientInfo(CNMessageBase* info) {
  CNMessageBase* record = ClientRecord(info);
  Set(record, kRecordKind, "EMC Networker Client");
  Set(record, kRecordMark, "2");
  Set(record, kRecordFixedA, kRecordFixedAValue);
  Set(record, kRecordFixedB, kRecordFixedBValue);
  Set(record, kRecordFixedC, kRecordFixedCValue);
  CNMessageBase* entity = Nested(record, kEntity, kEntityModule, kClientEntityType);
  Set(entity, kEntityName, m_clientName);
  Set(entity, kEntityHost, m_clientName);
  AddComponent(record, kClientComponent);
  hostmap::PopulateOsInfo(Nested<App::OperatingSystem>(record, kOs), m_osName);
  return true;
}

bool NWKClientInfo::BuildMasterServerInfo(CNMessageBase* info) {
  if (!m_isMasterServer) return true;
  CNMessageBase* master = Nested(info, kMaster, kAppModule, kMasterType);
  Set(master, kMasterTimeZone, GetTimeZoneDisplayNameA());
  Set(Nested(ClientRecord(info), kTimeZone, kEntityModule, kTimeZoneType), kTimeZoneName,
      Narrow(GetTimeZoneDisplayNameW()));
  Set(master, kMasterFixed, kMasterFixedValue);
  CNMessageBase* installation = Nested(master, kInstallation, kEntityModule, kInstallationType);
  Set(installation, kInstallationName, ServerFacts::Current().ZonarName());
  Set(installation, kInstallationFlag, 1);
  CNMessageBase id(kEntityModule, kInstallationIdType);
  Set(&id, kEntityValue, 1);
  installation->setObjectAccessor(&id, kInstallationId.i, kInstallationId.t);
  return true;
}

bool NWKClientInfo::BuildMediaServerInfo(CNMessageBase* info) {
  if (m_isMediaServer) AddComponent(ClientRecord(info), kMediaAgentComponent);
  return true;
}

bool NWKClientInfo::SetClientProperties(CNMessageBase* info) {
  CNMessageBase* holder = Nested(info, kProperties, kAppModule, kPropertiesType);
  AddProperty(holder, "Encrypt: encryption", 2, "1");
  AddProperty(holder, "Encrypt: Type", 7, "3");
  AddProperty(holder, "Encrypt: Key Length", 7, "256");
  if (!m_clientVersion.empty())
    AddProperty(holder, "Foreign Client Version", 7,
                (m_isMasterServer ? "EMC NetWorker Server " : "EMC NetWorker ") + m_clientVersion);
  return true;
}
