// One NetWorker device as the device report gives it, and its conversion into
// a host drive (in its jukebox's library or in a library of its own) and, for
// a disk device, the medium of its volume.
#pragma once

#include <string>
#include <vector>

class CNMessageBase;

class NWKDrive {
 public:
  std::string get_driveName() const { return m_driveName; }
  void set_driveName(std::string value) { m_driveName = std::move(value); }
  std::string get_driveFamily() const { return m_driveFamily; }
  void set_driveFamily(std::string value) { m_driveFamily = std::move(value); }
  std::string get_driveType() const { return m_driveType; }
  void set_driveType(std::string value) { m_driveType = std::move(value); }
  std::string get_driveSerial() const { return m_driveSerial; }
  std::string get_volName() const { return m_volName; }
  void set_volName(std::string value) { m_volName = std::move(value); }
  std::string get_libName() const { return m_libName; }
  void set_libName(std::string value) { m_libName = std::move(value); }

  // See mediabuild::SplitRemoteName.
  static void SplitRemoteName(const std::string& input, std::string& name, std::string& ma);
  // The split of the device's own name, and of its parent jukebox's name.
  void get_normDriveAndMA(std::string& name, std::string& ma) const;
  void get_normLibAndMA(std::string& name, std::string& ma) const;

  // The builders take the host messages by their base type because list
  // elements are stored as CNMessageBase; the class each expects is named.
  // Adds this device as a drive of `library` (an FDC::ForeignLibraryItem).
  void BuildDrive(CNMessageBase* library) const;
  // Appends a library of this device's own, holding it as its one drive, to
  // `libraryList` (an FDC::ForeignLibraryList).
  void BuildLibrary(CNMessageBase& libraryList) const;
  // Appends the medium of a disk device's volume to `mediaList` (an
  // FDC::ForeignMediaList), with the volume's jobs and its retention time in
  // seconds since the epoch (0: none known).
  void BuildMedia(CNMessageBase* mediaList, const std::vector<std::string>& jobs, unsigned int retention) const;

 private:
  void AddDriveInfo(CNMessageBase* drive, const std::string& name, const std::string& mediaType, size_t number,
                    const std::string& ma) const;
  void AddOwnDrive(CNMessageBase* library, const std::string& libraryName, const std::string& mediaType,
                   const std::string& ma) const;

  std::string m_driveName;
  std::string m_driveFamily;
  std::string m_driveType;
  std::string m_driveSerial;  // no attribute of the report fills it
  std::string m_volName;
  std::string m_libName;
};
