// Fuzzes the pool report parser: never more pools than "name:" lines, device
// entries without commas, and copies built against the devices of the same
// text that are numbered from 1, named in at most 64 bytes, never more than
// the pool's entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fetchers/CNWKDriveInfoFetcher.h"
#include "fetchers/CNWKStoragePolicyInfoFetcher.h"
#include "fields/PolicyFields.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<NWKStoragePolicy> pools;
  CNWKStoragePolicyInfoFetcher::ParsePoolReport(text, &pools);
  std::vector<NWKDrive> drives;
  CNWKDriveInfoFetcher::ParseDriveReport(text, &drives);

  size_t nameLines = 0;
  fuzzsupport::ForEachLine(text, [&](const std::string& line) { nameLines += HasPrefix(line, "name:") ? 1 : 0; });
  if (pools.size() > nameLines) __builtin_trap();
  for (NWKStoragePolicy& pool : pools) {
    for (const std::string& entry : pool.get_libNames())
      if (entry.find_first_of(",\n") != std::string::npos) __builtin_trap();
    FDC::StoragePolicy policy;
    pool.BuildCopy(policy, drives);
    using namespace policyfields;  // NOLINT: the storage policy's vocabulary
    std::vector<CNMessageBase>* copies = policy.getlistobject(kCopies.i, kCopies.t, 0, 0, false);
    if (!copies) continue;
    if (copies->size() > pool.get_libNames().size()) __builtin_trap();
    for (size_t i = 0; i < copies->size(); ++i) {
      CNMessageBase& copy = (*copies)[i];
      if (copy.getint64(kCopyNumber.t) != static_cast<long long>(i + 1) ||
          copy.getstring(kCopyName.i, kCopyName.t).size() > 64)
        __builtin_trap();
    }
    if (policy.getstring(kPolicyPrimaryCopy.i, kPolicyPrimaryCopy.t) != (*copies)[0].getstring(kCopyName.i, kCopyName.t))
      __builtin_trap();
  }
  return 0;
}
