// The message pieces every library, drive and medium builder shares, and the
// split of NetWorker's remote device names.
#include "model/MediaBuild.h"

#include "fields/MediaFields.h"
#include "hx/MessageClasses.h"
#include "model/HostMapping.h"
#include "model/MessageBuild.h"
#include "model/ServerFacts.h"

using namespace msgbuild;    // NOLINT: the builders' vocabulary
using namespace mediafields;  // NOLINT: this file builds media pieces only

namespace mediabuild {

InfoList::InfoList(CNMessageBase* holder, Field f) : m_list(Nested(holder, f, kModule, kInfoList)) {}

void InfoList::Add(long long id, long long kind, const std::string& value) {
  CNMessageBase* item = Append<FDC::InfoItem>(m_list, kItems);
  Set(item, kInfoId, id);
  Set(item, kInfoKind, kind);
  Set(item, kInfoValue, value);
}

void InfoList::AddJobs(const std::vector<std::string>& jobs) {
  for (const std::string& job : jobs) Add(kInfoJob, 3, job);
}

void InfoList::AddRetention(unsigned int retention) {
  if (retention != 0) Add(kInfoRetention, 2, std::to_string(retention));
}

CNMessageBase* AppendDrive(CNMessageBase* library, size_t* count) {
  CNMessageBase* drives = Nested(library, kDrives, kModule, kDriveList);
  CNMessageBase* drive = Append<FDC::ForeignDriveItem>(drives, kItems);
  if (count) *count = List(drives, kItems)->size();
  return drive;
}

void AddLibraryHost(CNMessageBase* library, const std::string& ma, const std::string& note) {
  CNMessageBase* host = Append<FDC::ForeignLibraryHost>(Nested(library, kHosts, kModule, kHostList), kItems);
  Set(host, kHostName, ma);
  Set(host, kHostLibraryHost, ma);
  Set(host, kHostNote, note);
  Set(host, kHostFlagA, 1);
  Set(host, kHostFlagB, 0);
  Set(host, kHostFlagC, 0);
}

void SplitRemoteName(const std::string& input, std::string& name, std::string& ma) {
  constexpr size_t kPrefix = 3;  // "rd="
  size_t colon = input.compare(0, kPrefix, "rd=") == 0 ? input.find(':', kPrefix) : std::string::npos;
  if (colon == std::string::npos) {
    // A remote name without its host part cannot say who serves it: the
    // main media agent does, and the whole rest is the name.
    name = input.compare(0, kPrefix, "rd=") == 0 ? input.substr(kPrefix) : input;
    ma = ServerFacts::Current().mainMediaAgent;
  } else {
    name = input.substr(colon + 1);
    ma = input.substr(kPrefix, colon - kPrefix);
  }
  hostmap::NormalizeDrvLibName(name);
}

}  // namespace mediabuild
