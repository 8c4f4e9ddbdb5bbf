// One NetWorker jukebox as the jukebox report gives it.
#pragma once

#include <string>
#include <vector>

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

 private:
  std::string m_libName;
  std::string m_libType;
  std::string m_noDrives;
  std::string m_noDevices;
  std::string m_libSerial;
  std::vector<std::string> m_stlcodes;
};
