// The NetWorker release the server report gives, and what it means for a
// discovery that reads the 8.x model. The runner says it on its first line,
// the assessment at its top.
#pragma once

#include <string>

namespace nwk {

struct ServerRelease {
  std::string version;  // "9.2.1.3" of "NetWorker 9.2.1.3.Build.25 Network Edition/100"
  int major = 0;
};

// Reads the "version:" attribute of <resultsDir>/tarn_server.txt, the report
// of "print type:NSR" (only its start: the attribute is printed near the top).
// False when there is no such report or it names no version.
bool ReadServerRelease(const std::string& resultsDir, ServerRelease* release);

// From NetWorker 9 on, clients belong to protection groups and schedules live
// in workflows of protection policies, which the discovery does not read:
// "NetWorker 9.2.1.3 server: read with the 8.x model: ...". Empty before 9.
std::string ModelNotice(const ServerRelease& release);

}  // namespace nwk
