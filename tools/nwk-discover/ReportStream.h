// Reads big message files piece by piece instead of building the whole
// message: a million save sets or ten thousand clients make files of hundreds of MB.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "EstateRows.h"

class CNMessageBase;

namespace nwk {

// Calls `onJob` once per job of the file, in order. False with `error`
// (naming the path and line) when the file cannot be read or is not well formed.
bool StreamJobList(const std::string& path, const std::function<void(const JobRow&)>& onJob, std::string* error);

// Calls `onItem` with each element of a list field, rebuilt as a message of
// its own; `fields` leads from the root to it ({1}: the root's list field 1;
// {4, 1}: list field 1 of the message in the root's field 4). False with `error` as above.
bool StreamListItems(const std::string& path, const std::vector<int>& fields,
                     const std::function<void(const CNMessageBase&)>& onItem, std::string* error);

}  // namespace nwk
