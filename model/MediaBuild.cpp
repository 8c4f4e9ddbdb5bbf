// The message pieces every library, drive and medium builder shares, and the
// split of NetWorker's remote device names.
#include "model/MediaBuild.h"

#include "hx/MessageClasses.h"
#include "model/HostMapping.h"
#include "model/MessageBuild.h"
#include "model/ServerFacts.h"

using msgbuild::Append;
using msgbuild::Nested;

namespace mediabuild {

InfoList::InfoList(CNMessageBase* holder, short i, short t) : m_list(Nested(holder, i, t, kModule, kInfoList)) {}

void InfoList::Add(long long id, long long kind, const std::string& value) {
  CNMessageBase* item = Append<FDC::InfoItem>(m_list, 1, 1);
  item->setint64(1, 1, id);
  item->setint64(3, 6, kind);
  item->setstring(2, 2, value);
}

void InfoList::AddJobs(const std::vector<std::string>& jobs) {
  for (const std::string& job : jobs) Add(203, 3, job);
}

CNMessageBase* AppendDrive(CNMessageBase* library, size_t* count) {
  CNMessageBase* drives = Nested(library, 4, 10, kModule, kDriveList);
  CNMessageBase* drive = Append<FDC::ForeignDriveItem>(drives, 1, 1);
  if (count) *count = msgbuild::List(drives, 1, 1)->size();
  return drive;
}

void AddLibraryHost(CNMessageBase* library, const std::string& ma, const std::string& note) {
  CNMessageBase* host = Append<FDC::ForeignLibraryHost>(Nested(library, 5, 11, kModule, kHostList), 1, 1);
  host->setstring(1, 1, ma);
  host->setstring(2, 5, ma);
  host->setstring(3, 9, note);
  host->setint64(4, 13, 1);
  host->setint64(5, 14, 0);
  host->setint64(6, 15, 0);
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
