// One NetWorker device as the device report gives it.
#pragma once

#include <string>

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

 private:
  std::string m_driveName;
  std::string m_driveFamily;
  std::string m_driveType;
  std::string m_driveSerial;  // no attribute of the report fills it
  std::string m_volName;
  std::string m_libName;
};
