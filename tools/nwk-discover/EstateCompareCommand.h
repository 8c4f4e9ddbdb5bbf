// The `compare` command: two results directories read, compared and the
// changes printed and written beside the newer one.
#pragma once

#include <string>

namespace nwk {

// `nwk-discover compare OLD NEW`: prints the changes and writes
// NEW/changes.json and NEW/changes.html. 0 when nothing changed, 1 when
// something did, 2 when a directory cannot be read or the files cannot be written.
int CompareResults(const std::string& oldDir, const std::string& newDir);

}  // namespace nwk
