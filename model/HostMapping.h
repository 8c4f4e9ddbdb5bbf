// NetWorker's terms in the host's: operating systems, application types,
// backup levels, schedule names, device and library types. Pure functions of
// their arguments; the names that depend on the server are in ServerFacts.
#pragma once

#include <string>

#include "fields/ClientFields.h"

class CNMessageBase;
class NWKClientInfo;
class NWKGroupInfo;
class NWKPolicyInfo;
class NWKScheduleInfo;

// The host's application type of a resource; the values this plug-in produces.
using HxAppType = int;
namespace hxapp {
constexpr HxAppType kSolarisFileSystem = 19;
constexpr HxAppType kAixFileSystem = 21;
constexpr HxAppType kOracle = 22;
constexpr HxAppType kLinuxFileSystem = 29;
constexpr HxAppType kWindowsFileSystem = 33;
constexpr HxAppType kSqlServer = 81;
constexpr HxAppType kOtherExternalAgent = clientfields::kOtherExternalAgentType;
}  // namespace hxapp

namespace hostmap {

// Fills an App::OperatingSystem record from a NetWorker OS text.
void PopulateOsInfo(CNMessageBase* os, const std::string& osName);
// The application type of one resource of one client, and its display name.
HxAppType GetHxAppType(const NWKClientInfo* client, const NWKPolicyInfo* policy, std::string& appTypeName);
// The instance, backup set and subclient names a resource is shown under.
void BuildInstanceBackupsetSubclientNames(HxAppType type, const NWKPolicyInfo& policy, std::string& instanceName,
                                          std::string& backupSetName, std::string& subclientName,
                                          const std::string& extra);

// NetWorker level names in the host's terms: display name and level number
// for schedule tasks, level code for job records.
std::string GetKelvraBackupLevelName(const std::string& level);
int GetKelvraBackupLevel(const std::string& level);
int GetFDCBackupLevel(const std::string& level);

// Schedule naming: one subtask name per pattern, one task name per
// (schedule, group) pair, and a time of day in seconds after midnight.
std::string GenerateScheduleName(const NWKScheduleInfo& schedule, const NWKGroupInfo& group, int week, int day,
                                 const std::string& level, unsigned int startTime);
std::string GenerateTaskName(const std::string& first, const std::string& second);
unsigned int GetScheduleStartTime(const std::string& time);

// Device and jukebox names without nsradmin's doubled backslashes, and the
// host's storage and device types.
void NormalizeDrvLibName(std::string& name);
int MapStorageType(const std::string& model);
int MapDeviceType(const std::string& family);

}  // namespace hostmap
