// One NetWorker media pool, which becomes a host storage policy with one copy
// per device of the pool that leads to a library.
#pragma once

#include <string>
#include <vector>

#include "hx/MessageClasses.h"
#include "model/NWKDrive.h"

class NWKStoragePolicy {
 public:
  void set_spName(std::string value) { m_spName = std::move(value); }
  std::string get_spName() const { return m_spName; }
  std::vector<std::string>& get_libNames() { return m_libNames; }

  // Adds to `policy` one copy per device entry that names a device of
  // `drives` with a drive and a library name, numbered from 1; the policy's
  // field 3/9 takes the first copy's name. Entries that lead nowhere add none.
  void BuildCopy(FDC::StoragePolicy& policy, std::vector<NWKDrive>& drives) const;

  // The copy and data path layouts, shared with the default storage policy.
  // `primary` is the copy's field 9/15 (1 for the default copy only).
  static CNMessageBase* AppendCopy(CNMessageBase* policy, const std::string& owner, long long number,
                                   const std::string& name, const std::string& description, long long primary);
  static CNMessageBase* AppendDataPath(CNMessageBase* copy, const std::string& owner, const std::string& copyName,
                                       const std::string& library, const std::string& ma);

 private:
  std::string m_spName;
  std::vector<std::string> m_libNames;  // device names as the pool lists them
};
