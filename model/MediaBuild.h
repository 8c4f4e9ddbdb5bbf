// The message pieces every library, drive and medium builder shares (info
// lists, drive lists, library hosts) and the split of "rd=host:path" names.
#pragma once

#include <string>
#include <vector>

#include "fields/Field.h"

class CNMessageBase;

namespace mediabuild {

// The info list (32, 5) at field f of a message; each Add appends one
// FDC::InfoItem: property id, value kind, value.
class InfoList {
 public:
  InfoList(CNMessageBase* holder, Field f);
  void Add(long long id, long long kind, const std::string& value);
  // One item (kInfoJob, 3, key) per job, in order.
  void AddJobs(const std::vector<std::string>& jobs);
  // The expiry time item (kInfoRetention), when `retention` is not 0.
  void AddRetention(unsigned int retention);

 private:
  CNMessageBase* m_list;
};

// Appends a new FDC::ForeignDriveItem to the drive list of `library`; the
// size of that list, this drive included, goes to `count` when not null.
CNMessageBase* AppendDrive(CNMessageBase* library, size_t* count = nullptr);
// Appends the FDC::ForeignLibraryHost of media agent `ma` to `library`;
// `note` is its kHostNote.
void AddLibraryHost(CNMessageBase* library, const std::string& ma, const std::string& note);

// A device or jukebox name as (local name, media agent). "rd=host:path"
// names a device that `host` serves: (path, host). Any other name is served
// by the server's main media agent; so is "rd=path" without a colon, whose
// whole rest is the name. Doubled backslashes in the name become single
// ones; the media agent is kept as written. Both outputs are overwritten.
void SplitRemoteName(const std::string& input, std::string& name, std::string& ma);

}  // namespace mediabuild
