// Turns one message written for the host (one client, one schedule policy, one
// media list, ...) into estate rows; no reader needs a whole file's tree.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "EstateRows.h"

class CNMessageBase;

namespace nwk {

// Which schedule policies name a resource; filled while policies are read so
// that resource rows, read later, can say how they are scheduled.
class PolicyIndex {
 public:
  void Add(const std::string& client, const std::string& application, const std::string& subclient,
           const std::string& policy);
  const std::vector<std::string>& PoliciesOf(const std::string& client, const std::string& application,
                                             const std::string& subclient) const;

 private:
  std::unordered_map<std::string, std::vector<std::string>> m_policies;
};

// One App::ClientInfo: its client row and one resource row per subclient.
void ExtractClient(const CNMessageBase& info, const PolicyIndex& policies, EstateSink& sink);
// One TMMsg::CreateTaskReq: a schedule policy row; `index` also learns its resources.
void ExtractSchedulePolicy(const CNMessageBase& task, PolicyIndex& index, EstateSink& sink);
// One FDC::ForeignLibraries, FDC::ForeignMedias or FDC::StoragePolicyList.
void ExtractLibraries(const CNMessageBase& msg, EstateSink& sink);
void ExtractMedia(const CNMessageBase& msg, EstateSink& sink);
void ExtractPools(const CNMessageBase& msg, EstateSink& sink);

// What the runner's log says about the last run recorded in it, and the
// attention rows (save sets dropped, resources given no schedule policy) it holds.
struct RunLog {
  RunRow run;
  std::vector<AttentionRow> attention;
};
// False when the log cannot be read.
bool ReadRunLog(const std::string& path, RunLog* log);

}  // namespace nwk
