// The names and type codes media discovery gives the host: device and
// jukebox names without doubled backslashes, and the host's storage and
// device types.
#include "hx/Strings.h"
#include "model/HostMapping.h"
#include "text/TextUtils.h"

// nsradmin prints a backslash inside quotes as two ("\\\\.\\Tape0"); scanning
// goes on after each replacement, so "\\\\" (four) becomes "\\" (two).
void hostmap::NormalizeDrvLibName(std::string& name) { FindReplace(name, "\\\\", "\\"); }

// Every jukebox model is a tape library to the host.
int hostmap::MapStorageType(const std::string&) { return 1; }

// 3: a disk device (advanced file type and other "disk" family devices); 1: tape.
int hostmap::MapDeviceType(const std::string& family) {
  return compareNoCase(family, "disk") == 0 ? 3 : 1;
}
