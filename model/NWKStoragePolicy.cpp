// Storage policy copies from a NetWorker pool: one copy per pool device that
// can be traced to a library, each with one data path.
#include "model/NWKStoragePolicy.h"

#include "hx/Strings.h"
#include "model/HostMapping.h"
#include "model/ServerFacts.h"
#include "model/MessageBuild.h"
#include "hx/Log.h"

using msgbuild::Append;

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
  CNMessageBase* copy = Append<FDC::StoragePolicyCopy>(policy, 10, 25);
  copy->setstring(1, 1, owner);
  copy->setint64(2, 5, number);
  copy->setstring(3, 6, name);
  copy->setstring(12, 18, description);
  copy->setint64(9, 15, primary);
  for (short i : {4, 5, 8, 10, 11}) copy->setint64(i, static_cast<short>(i + 6), 0);
  copy->setint64(6, 12, 1);
  copy->setint64(7, 13, 1);
  copy->setint64(14, 23, -1);
  return copy;
}

CNMessageBase* NWKStoragePolicy::AppendDataPath(CNMessageBase* copy, const std::string& owner,
                                                const std::string& copyName, const std::string& library,
                                                const std::string& ma) {
  CNMessageBase* path = Append<FDC::StoragePolicyDataPath>(copy, 15, 24);
  path->setstring(1, 1, owner);
  path->setstring(2, 5, copyName.substr(0, kCopyNameLength));
  path->setstring(5, 17, library);
  path->setstring(3, 9, "None");
  path->setstring(4, 13, ma);
  path->setint64(7, 22, 1);
  path->setint64(8, 23, 1);
  for (short i : {6, 9, 10, 11, 12}) path->setint64(i, static_cast<short>(i + 15), 0);
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
    if (number == 1) policy.setstring(3, 9, name);
    CNMessageBase* copy = AppendCopy(&policy, m_spName, number++, name, "EMC NetWorker copy", 0);
    bool disk = hostmap::MapDeviceType(match->get_driveFamily()) == kDiskDevice;
    AppendDataPath(copy, m_spName, name, disk ? "DISK_" + library : library, ma);
  }
}
