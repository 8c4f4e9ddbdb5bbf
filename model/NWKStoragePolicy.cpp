// Storage policy copies from a NetWorker pool: one copy per pool device that
// can be traced to a library, each with one data path.
#include "model/NWKStoragePolicy.h"

#include "fields/PolicyFields.h"
#include "hx/Strings.h"
#include "model/HostMapping.h"
#include "model/ServerFacts.h"
#include "model/MessageBuild.h"
#include "hx/Log.h"

using namespace msgbuild;     // NOLINT: the builders' vocabulary
using namespace policyfields;  // NOLINT: this file builds storage policies only

namespace {

const char* kFunc = "NWKStoragePolicy::BuildCopy()";
constexpr size_t kCopyNameLength = 64;
constexpr int kDiskDevice = 3;

const NWKDrive* FindDevice(const std::vector<NWKDrive>& drives, const std::string& device) {
  for (const NWKDrive& drive : drives)
    if (drive.get_driveName() == device) return &drive;
  return nullptr;
}

}  // namespace

CNMessageBase* NWKStoragePolicy::AppendCopy(CNMessageBase* policy, const std::string& owner, long long number,
                                            const std::string& name, const std::string& description,
                                            long long primary) {
  CNMessageBase* copy = Append<FDC::StoragePolicyCopy>(policy, kCopies);
  Set(copy, kCopyPolicy, owner);
  Set(copy, kCopyNumber, number);
  Set(copy, kCopyName, name);
  Set(copy, kCopyDescription, description);
  Set(copy, kCopyPrimary, primary);
  for (Field f : kCopyZeroes) Set(copy, f, 0);
  Set(copy, kCopyFlagA, 1);
  Set(copy, kCopyFlagB, 1);
  Set(copy, kCopyMinusOne, -1);
  return copy;
}

CNMessageBase* NWKStoragePolicy::AppendDataPath(CNMessageBase* copy, const std::string& owner,
                                                const std::string& copyName, const std::string& library,
                                                const std::string& ma) {
  CNMessageBase* path = Append<FDC::StoragePolicyDataPath>(copy, kDataPaths);
  Set(path, kPathPolicy, owner);
  Set(path, kPathCopy, copyName.substr(0, kCopyNameLength));
  Set(path, kPathLibrary, library);
  Set(path, kPathNone, "None");
  Set(path, kPathMediaAgent, ma);
  Set(path, kPathFlagA, 1);
  Set(path, kPathFlagB, 1);
  for (Field f : kPathZeroes) Set(path, f, 0);
  return path;
}

void NWKStoragePolicy::BuildCopy(FDC::StoragePolicy& policy, std::vector<NWKDrive>& drives) const {
  EvEvent log;
  long long number = 1;
  for (const std::string& entry : m_libNames) {
    std::string device = Trim(entry, " \"");
    std::string library, drive, ma;
    const NWKDrive* match = FindDevice(drives, device);
    if (match) {
      match->get_normLibAndMA(library, ma);
      match->get_normDriveAndMA(drive, ma);  // the device's own media agent stands
    }
    if (drive.empty() || library.empty()) continue;
    log.DebugLvl(kFunc, 4, "Building storage policy copy [%s], drive[%s]->library[%s]", m_spName.c_str(),
                 device.c_str(), library.c_str());
    std::string name = (drive + "_" + library + "_" + ma).substr(0, kCopyNameLength);
    if (number == 1) Set(&policy, kPolicyPrimaryCopy, name);
    CNMessageBase* copy = AppendCopy(&policy, m_spName, number++, name, "EMC NetWorker copy", 0);
    bool disk = hostmap::MapDeviceType(match->get_driveFamily()) == kDiskDevice;
    AppendDataPath(copy, m_spName, name, disk ? "DISK_" + library : library, ma);
  }
}
