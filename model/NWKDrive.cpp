// Building host drives, device libraries and disk media from NetWorker devices.
#include "model/NWKDrive.h"

#include "fields/MediaFields.h"
#include "hx/MessageClasses.h"
#include "model/HostMapping.h"
#include "model/MediaBuild.h"
#include "model/MessageBuild.h"

using namespace msgbuild;    // NOLINT: the builders' vocabulary
using namespace mediafields;  // NOLINT: this file builds media pieces only

namespace {

constexpr int kDiskDevice = 3;

}  // namespace

void NWKDrive::SplitRemoteName(const std::string& input, std::string& name, std::string& ma) {
  mediabuild::SplitRemoteName(input, name, ma);
}

void NWKDrive::get_normDriveAndMA(std::string& name, std::string& ma) const { mediabuild::SplitRemoteName(m_driveName, name, ma); }

void NWKDrive::get_normLibAndMA(std::string& name, std::string& ma) const { mediabuild::SplitRemoteName(m_libName, name, ma); }

// The info items of a drive item, for a jukebox's drive and for the one
// drive of a device's own library alike.
void NWKDrive::AddDriveInfo(CNMessageBase* drive, const std::string& name, const std::string& mediaType,
                            size_t number, const std::string& ma) const {
  mediabuild::InfoList info(drive, kDriveInfo);
  info.Add(158, 1, m_driveType);
  info.Add(151, 3, name);
  info.Add(152, 3, mediaType);
  info.Add(153, 3, m_driveFamily);
  info.Add(154, 3, "Unknown");
  info.Add(155, 3, m_driveSerial);
  info.Add(157, 1, std::to_string(number));
  info.Add(159, 3, ma);
}

void NWKDrive::BuildDrive(CNMessageBase* library) const {
  size_t count = 0;
  CNMessageBase* drive = mediabuild::AppendDrive(library, &count);
  std::string name, ma;
  get_normDriveAndMA(name, ma);
  AddDriveInfo(drive, name, m_driveType, count, ma);
}

void NWKDrive::BuildLibrary(CNMessageBase& libraryList) const {
  int type = hostmap::MapDeviceType(m_driveFamily);
  CNMessageBase* library = Append<FDC::ForeignLibraryItem>(&libraryList, kItems);
  Set(library, kLibraryType, type);
  Set(library, kLibraryFlag, 1);
  std::string name, ma;
  get_normDriveAndMA(name, ma);
  if (type == kDiskDevice) name = "DISK_" + name;
  std::string libraryName = name + "_" + ma;
  Set(library, kLibraryName, libraryName);

  std::string typeText = std::to_string(type);
  std::string mediaType = type == kDiskDevice ? "Magnetic" : m_driveType;
  mediabuild::InfoList info(library, kLibraryInfo);
  info.Add(8, 1, typeText);
  info.Add(1, 3, "Device Migrated From EMC NetWorker");
  info.Add(2, 3, mediaType);
  info.Add(3, 3, m_driveFamily);
  info.Add(4, 3, typeText);
  info.Add(5, 3, m_driveSerial.empty() ? "Unknown" : m_driveSerial);
  info.Add(6, 3, "Unknown");
  info.Add(7, 3, "{0,0,0,0}");
  info.Add(21, 1, "1");
  info.Add(17, 1, typeText);
  info.Add(19, 1, "1");
  info.Add(11, 3, name);

  AddOwnDrive(library, libraryName, mediaType, ma);
  mediabuild::AddLibraryHost(library, ma, "-NA-");
}

// The one drive of a device's own library, named like the library.
void NWKDrive::AddOwnDrive(CNMessageBase* library, const std::string& libraryName, const std::string& mediaType,
                           const std::string& ma) const {
  AddDriveInfo(mediabuild::AppendDrive(library), libraryName, mediaType, 1, ma);
}

void NWKDrive::BuildMedia(CNMessageBase* mediaList, const std::vector<std::string>& jobs,
                          unsigned int retention) const {
  CNMessageBase* media = Append<FDC::ForeignMediaItem>(mediaList, kItems);
  Set(media, kMediumKind, kDiskMedium);
  std::string name, ma;
  get_normDriveAndMA(name, ma);
  Set(media, kMediumName, name + "_" + ma);
  Set(media, kMediumLibrary, "DISK_" + name + "_" + ma);

  mediabuild::InfoList info(media, kMediumInfo);
  info.Add(208, 2, "0");
  info.Add(209, 2, "0");
  info.Add(200, 3, "Media migrated from EMC NetWorker");
  info.Add(11, 3, name);
  info.Add(201, 1, "2");
  info.Add(207, 3, name + "_" + ma);
  info.AddJobs(jobs);  // before the retention item here, after it for jukebox media
  info.AddRetention(retention);
}
