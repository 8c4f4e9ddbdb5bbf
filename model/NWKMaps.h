// The handler's collections of NetWorker resources, keyed by name as
// NetWorker compares names: clients, groups and schedules without regard to case.
#pragma once

#include <map>
#include <string>

#include "hx/Strings.h"
#include "model/NWKClientInfo.h"
#include "model/NWKDirectiveInfo.h"
#include "model/NWKGroupInfo.h"
#include "model/NWKScheduleInfo.h"

// Orders names without regard to case, so "hosta" and "HOSTA" are one entry.
struct stringcomparator_caseinsensitive {
  bool operator()(const std::string& a, const std::string& b) const { return compareNoCase(a, b) < 0; }
};

using NWKClientMap = std::map<std::string, NWKClientInfo, stringcomparator_caseinsensitive>;
using NWKGroupMap = std::map<std::string, NWKGroupInfo, stringcomparator_caseinsensitive>;
using NWKScheduleMap = std::map<std::string, NWKScheduleInfo, stringcomparator_caseinsensitive>;
using NWKDirectiveMap = std::map<std::string, NWKDirectiveInfo>;
