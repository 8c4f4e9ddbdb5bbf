// Reads big message files piece by piece instead of building the whole
// message: a million save sets or ten thousand clients make files of hundreds of MB.
#pragma once

#include <functional>
#include <string>

#include "EstateRows.h"

class CNMessageBase;

namespace nwk {

// Calls `onJob` once per job of the file, in order. False with `error`
// (naming the path and line) when the file cannot be read or is not well formed.
bool StreamJobList(const std::string& path, const std::function<void(const JobRow&)>& onJob, std::string* error);

// Calls `onItem` with each element of the root message's list field `listIndex`,
// rebuilt as a message of its own. False with `error` as above.
bool StreamListItems(const std::string& path, int listIndex, const std::function<void(const CNMessageBase&)>& onItem,
                     std::string* error);

}  // namespace nwk
