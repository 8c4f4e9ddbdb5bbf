// Turns one message written for the host (one client, one schedule policy, one
// media list, ...) into estate rows; no reader needs a whole file's tree.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "EstateRows.h"

class CNMessageBase;

namespace nwk {

// How each resource is scheduled: the schedule policies ("<schedule>_<group>")
// naming it and its schedule (from the records), so that resource rows can
// give group and schedule apart.
class ScheduleIndex {
 public:
  void AddPolicy(const SchedulePolicyRow& policy);
  // The schedule the resource runs on; a later call for it wins.
  void SetSchedule(const std::string& client, const std::string& subclient, const std::string& schedule);
  // Fills the row's groups and schedule.
  void Fill(ResourceRow* row) const;

 private:
  std::unordered_map<std::string, std::vector<std::string>> m_policies;
  std::unordered_map<std::string, std::string> m_schedules;
};

// One App::ClientInfo: its client row, after one resource row per subclient
// (without groups and schedule: ScheduleIndex::Fill gives them).
void ExtractClient(const CNMessageBase& info, EstateSink& sink);
// One TMMsg::CreateTaskReq: a schedule policy row.
void ExtractSchedulePolicy(const CNMessageBase& task, EstateSink& sink);
// One item of FDC::ForeignLibraries, of FDC::ForeignMedias, or one
// FDC::StoragePolicy of FDC::StoragePolicyList (a pool).
void ExtractLibrary(const CNMessageBase& item, EstateSink& sink);
void ExtractMedium(const CNMessageBase& item, EstateSink& sink);
void ExtractPool(const CNMessageBase& policy, EstateSink& sink);
// One FDC::JobInfo of an FDC::JobList.
void ExtractJob(const CNMessageBase& job, EstateSink& sink);

// The messages the report reads: a message of class `className` gives the
// rows of each element of the list that `listPath` leads to (field indexes
// from the root: {4, 1} is list field 1 of the message in field 4), or of
// the whole message when `listPath` is empty.
struct MessageRows {
  const char* className;
  std::vector<int> listPath;
  void (*extract)(const CNMessageBase&, EstateSink&);
};
const std::vector<MessageRows>& MessageKinds();
// The rows of one message of any class MessageKinds names; nothing for others.
void ExtractMessage(const CNMessageBase& msg, EstateSink& sink);

// What the runner's log says about the last run recorded in it.
struct RunLog {
  RunRow run;
  long long firstLine = 0;  // line (from 1) that starts the last run, 0 when none does
  unsigned long firstMessage = 0;  // the last run's first message number; 0: every message counts
};
// True when the message file `name` belongs to the last run the log tells of:
// a results directory used again keeps the messages of earlier runs.
bool OfLastRun(const std::string& name, const RunLog& log);
std::string ScheduleKey(const std::string& client, const std::string& subclient);
// False when the log cannot be read.
bool ReadRunLog(const std::string& path, RunLog* log);
// The facts the operations recorded in the records file at `path` (server
// name, main media agent, date format and its source) and the schedule of
// each resource; the runner starts that file anew with each run, so it holds
// the last run's records only.
void ReadRunFacts(const std::string& path, RunRow* run, ScheduleIndex* index);
// Hands the recorded attention rows (save sets dropped, resources given no
// schedule policy) to `sink` in the order recorded, one at a time: a run
// that drops a million save sets costs no memory for them.
void ReadRunAttention(const std::string& path, EstateSink& sink);

}  // namespace nwk
