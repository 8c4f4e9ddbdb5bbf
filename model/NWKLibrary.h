// One NetWorker jukebox as the jukebox report gives it, its conversion into a
// host library with its barcoded media, and the message pieces that every
// library, drive and medium builder shares.
#pragma once

#include <string>
#include <vector>

class CNMessageBase;

class NWKLibrary {
 public:
  std::string get_libName() const { return m_libName; }
  void set_libName(std::string value) { m_libName = std::move(value); }
  std::string get_libType() const { return m_libType; }
  void set_libType(std::string value) { m_libType = std::move(value); }
  std::string get_noDrives() const { return m_noDrives; }
  void set_noDrives(std::string value) { m_noDrives = std::move(value); }
  void set_noDevices(std::string value) { m_noDevices = std::move(value); }
  std::string get_libSerial() const { return m_libSerial; }
  void set_libSerial(std::string value) { m_libSerial = std::move(value); }
  std::vector<std::string>& get_stlcodes() { return m_stlcodes; }

  // The split of the jukebox's name (see NWKDrive::SplitRemoteName).
  void get_normLibAndMA(std::string& name, std::string& ma) const;
  // Appends the jukebox's library to `libraryList` (an FDC::ForeignLibraryList).
  void BuildLibrary(CNMessageBase& libraryList) const;
  // Appends one barcoded medium of the jukebox to `mediaList` (an
  // FDC::ForeignMediaList); the barcode is trimmed of blanks, and an empty
  // barcode, quoted ("") or not, adds nothing. `retention`: seconds since the
  // epoch, 0 when no expiry date is known.
  // False for the empty entries a barcode list may hold: they are no media.
  static bool IsMediumBarcode(std::string barcode);
  void BuildMedia(CNMessageBase& mediaList, std::string barcode, const std::vector<std::string>& jobs,
                  unsigned int retention) const;

 private:
  std::string m_libName;
  std::string m_libType;
  std::string m_noDrives;
  std::string m_noDevices;
  std::string m_libSerial;
  std::vector<std::string> m_stlcodes;
};

namespace mediabuild {

// Unnamed holder classes of module 32: a library's drive and host lists, and
// the info list of a library, drive or medium.
constexpr int kModule = 32;
constexpr int kDriveList = 71;
constexpr int kHostList = 30;
constexpr int kInfoList = 5;

// The info list (32, 5) at field i/t of a message; each Add appends one
// FDC::InfoItem: property id, value kind, value.
class InfoList {
 public:
  InfoList(CNMessageBase* holder, short i, short t);
  void Add(long long id, long long kind, const std::string& value);
  // One item (203, 3, key) per job, in order.
  void AddJobs(const std::vector<std::string>& jobs);

 private:
  CNMessageBase* m_list;
};

// Appends a new FDC::ForeignDriveItem to the drive list of `library`; the
// size of that list, this drive included, goes to `count` when not null.
CNMessageBase* AppendDrive(CNMessageBase* library, size_t* count = nullptr);
// Appends the FDC::ForeignLibraryHost of media agent `ma` to `library`;
// `note` is its field 3/9.
void AddLibraryHost(CNMessageBase* library, const std::string& ma, const std::string& note);

}  // namespace mediabuild
