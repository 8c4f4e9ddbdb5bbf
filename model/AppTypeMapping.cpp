// How NetWorker's OS texts and resource attributes map onto the host's OS
// records, application types and instance/backup set/subclient names.
#include <cctype>

#include "fields/ClientFields.h"
#include "hx/MessageClasses.h"
#include "hx/Strings.h"
#include "model/HostMapping.h"
#include "model/MessageBuild.h"
#include "model/NWKClientInfo.h"

namespace {

struct OsRow {
  const char* text;  // NetWorker's "client OS type:", compared exactly
  long long code;
  const char* family;
  const char* name;
  const char* platform;
};

const OsRow kOsRows[] = {
    {"Windows NT Server on Intel", 21, "Windows", "Server", "Windows"},
    {"Linux", 25, "Unix", "Linux", "Linux"},
    {"AixOS", 201, "Unix", "AIX", "AIX"},
    {"Solaris", 201, "Unix", "Solaris", "SunOS"},
};
const OsRow kAnyOs = {"", 0, "Any", "Any", "Any"};

const OsRow& FindOsRow(const std::string& osName) {
  for (const OsRow& row : kOsRows)
    if (osName == row.text) return row;
  return kAnyOs;
}

struct FileSystemType {
  const char* osName;
  HxAppType type;
  const char* display;
};

const FileSystemType kUnixFileSystems[] = {
    {"Linux", hxapp::kLinuxFileSystem, "Linux File System"},
    {"AIX", hxapp::kAixFileSystem, "AIX File System"},
    {"Solaris", hxapp::kSolarisFileSystem, "Solaris File System"},
};

bool IsOracleResource(const NWKPolicyInfo& policy) {
  std::string command = policy.get_backupCommand();
  if (compareNoCase(command, "nsrora_save_cmd.exe") == 0 || compareNoCase(command, "nsrora_save_cmd") == 0) return true;
  for (const std::string& app : policy.get_licensedApps())
    if (app == "Fujitsu NetWorker Module for Oracle5") return true;
  return false;
}

}  // namespace

void hostmap::PopulateOsInfo(CNMessageBase* os, const std::string& osName) {
  const OsRow& row = FindOsRow(osName);
  using namespace clientfields;  // NOLINT: the operating system record's vocabulary
  using msgbuild::Set;
  Set(os, kOsCode, row.code);
  Set(os, kOsFamily, row.family);
  Set(os, kOsName, row.name);
  Set(os, kOsAny, "Any");
  CNMessageBase* platform = msgbuild::Nested(os, kOsPlatform, kAppModule, kPlatformType);
  Set(platform, kPlatformName, row.platform);
  Set(platform, kPlatformAny, "Any");
}

HxAppType hostmap::GetHxAppType(const NWKClientInfo* client, const NWKPolicyInfo* policy, std::string& appTypeName) {
  const OsRow& os = FindOsRow(client->get_osName());
  HxAppType type = hxapp::kOtherExternalAgent;
  appTypeName = "Other External Agent";
  std::string appName = policy->get_appName();
  if (appName == "Filesystem") {
    if (std::string(os.family) == "Windows") {
      type = hxapp::kWindowsFileSystem;
      appTypeName = "Windows File System";
    }
    for (const FileSystemType& fs : kUnixFileSystems) {
      if (std::string(os.name) != fs.osName) continue;
      type = fs.type;
      appTypeName = fs.display;
    }
  } else if (appName == "SQL Server") {
    type = hxapp::kSqlServer;
    appTypeName = "SQL Server";
  } else if (appName.empty() && IsOracleResource(*policy)) {
    type = hxapp::kOracle;
    appTypeName = "Oracle Database";
  }
  return type;
}

void hostmap::BuildInstanceBackupsetSubclientNames(HxAppType type, const NWKPolicyInfo& policy,
                                                   std::string& instanceName, std::string& backupSetName,
                                                   std::string& subclientName, const std::string&) {
  backupSetName = "defaultBackupSet";
  subclientName = policy.get_policyName();
  if (type == hxapp::kOracle) {
    instanceName = "OracleInstance";
  } else if (type == hxapp::kSqlServer) {
    // "MSSQL$PROD01:" gives PROD01, "MSSQL:" gives MSSQL. Without a save set
    // there is no instance to name: empty.
    const std::vector<std::string>& saveSets = policy.get_const_backuplistref();
    std::string entry = saveSets.empty() ? std::string() : saveSets[0];
    size_t dollar = entry.find('$');
    size_t start = dollar == std::string::npos ? 0 : dollar + 1;
    size_t colon = entry.find(':');
    instanceName = colon == std::string::npos || colon < start ? entry.substr(start) : entry.substr(start, colon - start);
  } else {
    instanceName = "DefaultInstanceName";
    if (subclientName == "Default") subclientName = "default";
  }
}
