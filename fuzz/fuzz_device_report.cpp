// Fuzzes the device report parser: never more devices than "name:" lines,
// names without their quotes, values cut as the attribute cutter cuts them,
// the same devices on a second reading, and every device builds a drive, a
// library of its own and a medium.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fetchers/CNWKDriveInfoFetcher.h"
#include "FuzzSupport.h"
#include "fields/MediaFields.h"
#include "hx/MessageClasses.h"

namespace {

bool IsCutValue(const std::string& value) {
  if (value.find('\n') != std::string::npos) return false;
  return value.empty() || (value.front() != ';' && value.back() != ';' && value.front() != ' ' && value.back() != ' ');
}

std::string Dump(const NWKDrive& d) {
  return d.get_driveName() + '\n' + d.get_driveFamily() + '\n' + d.get_driveType() + '\n' + d.get_volName() + '\n' +
         d.get_libName();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<NWKDrive> drives;
  CNWKDriveInfoFetcher::ParseDriveReport(text, &drives);

  size_t nameLines = 0;
  fuzzsupport::ForEachLine(text, [&](const std::string& line) { nameLines += HasPrefix(line, "name:") ? 1 : 0; });
  if (drives.size() > nameLines) __builtin_trap();
  for (const NWKDrive& d : drives) {
    std::string name = d.get_driveName();
    if (name.find('\n') != std::string::npos) __builtin_trap();
    if (!name.empty() && (name.front() == '"' || name.back() == '"')) __builtin_trap();
    if (!IsCutValue(d.get_driveFamily()) || !IsCutValue(d.get_driveType()) || !IsCutValue(d.get_volName()))
      __builtin_trap();
  }
  std::vector<NWKDrive> again;
  CNWKDriveInfoFetcher::ParseDriveReport(text, &again);
  if (again.size() != drives.size()) __builtin_trap();
  for (size_t i = 0; i < drives.size(); ++i)
    if (Dump(drives[i]) != Dump(again[i])) __builtin_trap();

  FDC::ForeignLibraryList libraries;
  FDC::ForeignMediaList media;
  for (const NWKDrive& d : drives) {
    d.BuildLibrary(libraries);
    d.BuildDrive(&libraries.getlistobject(mediafields::kItems.i, mediafields::kItems.t, 0, 0, true)->back());
    d.BuildMedia(&media, {"job"}, 1);
  }
  return 0;
}
