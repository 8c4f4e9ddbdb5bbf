// The names and type codes media discovery gives the host: the default
// library's name, device and jukebox names without doubled backslashes, and
// the host's storage and device types.
#include "handler/CForeignHandlerNWK.h"
#include "handler/TextUtils.h"

std::string CForeignHandlerNWK::GenerateLibraryName() { return "DefaultLibrary_NETWORKER_" + get_NWKServerName(); }

// nsradmin prints a backslash inside quotes as two ("\\\\.\\Tape0"); scanning
// goes on after each replacement, so "\\\\" (four) becomes "\\" (two).
void CForeignHandlerNWK::NormalizeDrvLibName(std::string& name) { FindReplace(name, "\\\\", "\\"); }

// Every jukebox model is a tape library to the host.
int CForeignHandlerNWK::_MapStorageType_NWKToHx(std::string) { return 1; }

// 3: a disk device (advanced file type and other "disk" family devices); 1: tape.
int CForeignHandlerNWK::_MapDeviceType_NWKToHx(std::string family) {
  return compareNoCase(family, "disk") == 0 ? 3 : 1;
}
