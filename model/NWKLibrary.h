// One NetWorker jukebox as the jukebox report gives it, and its conversion
// into a host library with its barcoded media.
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

  // The split of the jukebox's name (see mediabuild::SplitRemoteName).
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
