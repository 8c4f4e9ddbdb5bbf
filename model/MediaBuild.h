// The message pieces every library, drive and medium builder shares (info
// lists, drive lists, library hosts) and the split of "rd=host:path" names.
#pragma once

#include <string>
#include <vector>

class CNMessageBase;

namespace mediabuild {

// Unnamed holder classes of module 32: a library's drive and host lists, and
// the info list of a library, drive or medium.
constexpr int kModule = 32;
constexpr int kDriveList = 71;
constexpr int kHostList = 30;
constexpr int kInfoList = 5;

// The info list (32, 5) at field i/t of a message; each Add appends one
// FDC::InfoItem: property id, value kind, value.
class InfoList {
 public:
  InfoList(CNMessageBase* holder, short i, short t);
  void Add(long long id, long long kind, const std::string& value);
  // One item (203, 3, key) per job, in order.
  void AddJobs(const std::vector<std::string>& jobs);

 private:
  CNMessageBase* m_list;
};

// Appends a new FDC::ForeignDriveItem to the drive list of `library`; the
// size of that list, this drive included, goes to `count` when not null.
CNMessageBase* AppendDrive(CNMessageBase* library, size_t* count = nullptr);
// Appends the FDC::ForeignLibraryHost of media agent `ma` to `library`;
// `note` is its field 3/9.
void AddLibraryHost(CNMessageBase* library, const std::string& ma, const std::string& note);

// A device or jukebox name as (local name, media agent). "rd=host:path"
// names a device that `host` serves: (path, host). Any other name is served
// by the server's main media agent; so is "rd=path" without a colon, whose
// whole rest is the name. Doubled backslashes in the name become single
// ones; the media agent is kept as written. Both outputs are overwritten.
void SplitRemoteName(const std::string& input, std::string& name, std::string& ma);

}  // namespace mediabuild
