// One NetWorker media pool, which becomes a host storage policy.
#pragma once

#include <string>
#include <vector>

class NWKStoragePolicy {
 public:
  void set_spName(std::string value) { m_spName = std::move(value); }
  std::string get_spName() const { return m_spName; }
  std::vector<std::string>& get_libNames() { return m_libNames; }

 private:
  std::string m_spName;
  std::vector<std::string> m_libNames;  // device names as the pool lists them
};
