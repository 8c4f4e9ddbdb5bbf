// One NetWorker directive, reduced to the two flags discovery cares about.
#pragma once

#include <string>

class NWKDirectiveInfo {
 public:
  bool get_encryption() const { return m_encryption; }
  void set_encryption(bool value) { m_encryption = value; }
  bool get_compression() const { return m_compression; }
  void set_compression(bool value) { m_compression = value; }

 private:
  std::string m_name;  // the map key carries the name; kept for the record layout
  bool m_encryption = false;
  bool m_compression = false;
};
