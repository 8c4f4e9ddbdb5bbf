// Message readers: each takes one message as the plug-in built it and hands
// its rows to a sink; the log reader keeps only the last run's lines, the
// records reader gives the facts and attention rows the operations recorded.
#include "EstateExtract.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <string_view>

#include "fields/ClientFields.h"
#include "fields/JobFields.h"
#include "fields/MediaFields.h"
#include "fields/PolicyFields.h"
#include "fields/RunRecords.h"
#include "fields/ScheduleFields.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

namespace nwk {
namespace {

const std::vector<CNMessageBase> kNoList;

const hx::MessageField* FieldAt(const CNMessageBase& msg, short index) {
  for (std::size_t n = 0; n < msg.fieldCount(); ++n)
    if (msg.field(n).index() == index) return &msg.field(n);
  return nullptr;
}

const CNMessageBase* Sub(const CNMessageBase* msg, short index) {
  const hx::MessageField* f = msg ? FieldAt(*msg, index) : nullptr;
  return f ? f->message() : nullptr;
}

const std::vector<CNMessageBase>& List(const CNMessageBase* msg, short index) {
  const hx::MessageField* f = msg ? FieldAt(*msg, index) : nullptr;
  const std::vector<CNMessageBase>* list = f ? f->messageList() : nullptr;
  return list ? *list : kNoList;
}

std::string Str(const CNMessageBase* msg, short index) {
  const hx::MessageField* f = msg ? FieldAt(*msg, index) : nullptr;
  return f ? std::string(f->stringValue()) : std::string();
}

long long Int(const CNMessageBase* msg, short index, long long absent = 0) {
  const hx::MessageField* f = msg ? FieldAt(*msg, index) : nullptr;
  return f && f->kind() == hx::FieldKind::kInt64 ? f->int64Value() : absent;
}

long long Number(const std::string& text) {
  long long value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// ---- clients -------------------------------------------------------------

void ExtractSubclient(const CNMessageBase& sub, const ClientRow& client, const std::string& application,
                      bool otherAgent, EstateSink& sink) {
  using namespace clientfields;  // NOLINT: the client tree's vocabulary
  ResourceRow row;
  row.client = client.name;
  row.subclient = Str(Sub(&sub, kNodeId.i), kNodeName.i);
  row.application = application;
  row.otherAgent = otherAgent;
  row.defaultManual = otherAgent && row.subclient == "Manual";
  for (const CNMessageBase& set : List(&sub, kSubclientContent.i)) row.saveSets.push_back(Str(&set, kAttributeValue.i));
  const std::vector<CNMessageBase>& props = List(&sub, kSubclientProperties.i);
  row.hasProperties = !props.empty();
  for (const CNMessageBase& p : props) {
    std::string key = Str(&p, kAttributeName.i), value = Str(&p, kAttributeValue.i);
    if (key == "compression" && value == "0") row.compressed = true;
    if (key == "Encrypt: encryption" && value == "2") row.encrypted = true;
  }
  // Every agent has an empty "default" subclient of its own: not a resource of the server.
  if (!row.hasProperties && row.saveSets.empty() && !row.defaultManual) return;
  if (otherAgent && !row.defaultManual)
    sink.Attention({kAttentionOtherAgent, row.client + " / " + row.subclient,
                    "no agent of the host matches its save sets: migrate it by hand"});
  sink.Resource(row);
}

void ExtractAgents(const CNMessageBase* record, ClientRow* client, EstateSink& sink) {
  using namespace clientfields;  // NOLINT: the client tree's vocabulary
  for (const CNMessageBase& agent : List(record, kAgents.i)) {
    const CNMessageBase* type = Sub(&agent, kAgentId.i);
    std::string application = Str(type, kAgentTypeName.i);
    client->agents.push_back(application.empty() ? "(unnamed)" : application);
    bool other = Int(type, kAgentType.i) == kOtherExternalAgentType;
    for (const CNMessageBase& instance : List(&agent, kInstances.i))
      for (const CNMessageBase& set : List(&instance, kBackupSets.i))
        for (const CNMessageBase& sub : List(&set, kSubclients.i)) ExtractSubclient(sub, *client, application, other, sink);
  }
}

std::string OperatingSystem(const CNMessageBase* record) {
  using namespace clientfields;  // NOLINT: the client tree's vocabulary
  const CNMessageBase* os = Sub(record, kOs.i);
  // Windows clients are named "Server" by their OS record; the family makes that readable.
  std::string family = Str(os, kOsFamily.i), name = Str(os, kOsName.i);
  if (family == "Windows" || name.empty()) name = family + (name.empty() ? "" : " " + name);
  return name.empty() ? "(unknown)" : name;
}

// ---- schedules -----------------------------------------------------------

ScheduleSlot ReadSlot(const CNMessageBase& subtask) {
  using namespace schedulefields;  // NOLINT: the schedule policy's vocabulary
  ScheduleSlot slot;
  slot.level = Int(Sub(Sub(&subtask, kSubtaskOptions.i), kBackupOptions.i), kBackupLevel.i);
  const CNMessageBase* pattern = Sub(&subtask, kPattern.i);
  slot.monthly = Int(pattern, kPatternKind.i) == kMonthly;
  slot.startSeconds = Int(pattern, kPatternStart.i, -1);
  const CNMessageBase* days = Sub(pattern, kPatternDays.i);
  for (short d = 1; d <= 7; ++d)
    if (Int(days, Weekday(d).i) == 1) slot.weekDays |= 1u << (d - 1);
  slot.dayOfMonth = Int(days, kDayOfMonth.i);
  return slot;
}

// ---- log -----------------------------------------------------------------

// The text between "[" and the last "]" after `marker`; false when `line` lacks it.
bool Bracketed(const std::string& line, const std::string& marker, std::string* value) {
  std::size_t at = line.find(marker);
  if (at == std::string::npos) return false;
  std::size_t open = line.find('[', at + marker.size());
  std::size_t close = line.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  *value = line.substr(open + 1, close - open - 1);
  return true;
}

// The runner's own lines, told apart by their function field (right after the
// first "] ") so that no name read from the server can pass for one.
constexpr const char* kRunStart = "Runner::Run Debug: Discovery run started";
constexpr const char* kOperationResult = "Runner::RunOne Debug: Operation ";
constexpr const char* kQuestionedFrom = "Runner::Run Debug: Questioned from host ";
constexpr const char* kNamedServer = "Runner::Run Debug: Server named with --server ";
constexpr const char* kReplayed = "Runner::Run Debug: Replaying the reports of ";

bool IsRunnerLine(const std::string& line, const char* head) {
  std::size_t at = line.find("] ");
  return at != std::string::npos && line.compare(at + 2, std::string(head).size(), head) == 0;
}

// The runner's lines on where the reports come from; false for any other line.
bool ReadOrigin(const std::string& line, RunRow* run) {
  if (IsRunnerLine(line, kQuestionedFrom) && Bracketed(line, kQuestionedFrom, &run->originHost)) {
    if (run->origin.empty()) run->origin = "local";
  } else if (IsRunnerLine(line, kNamedServer) && Bracketed(line, kNamedServer, &run->originServer)) {
    run->origin = "remote";
  } else if (IsRunnerLine(line, kReplayed) && Bracketed(line, kReplayed, &run->originDataset)) {
    run->origin = "replay";
  } else {
    return false;
  }
  return true;
}

// One reading of the log, gathering what it says of the last run.
struct LogPass {
  RunLog* log;
  long long lineNumber = 0;
  OperationErrors errors;  // logged since the last operation ended
};

// An Error line: its level follows the function field (right after the first
// "] "), so no text read from the server can pass for one.
bool ErrorMessage(const std::string& line, std::string* message) {
  constexpr std::string_view kLevel = " Error: ";
  std::size_t at = line.find("] ");
  std::size_t level = at == std::string::npos ? at : line.find(' ', at + 2);
  if (level == std::string::npos || line.compare(level, kLevel.size(), kLevel) != 0) return false;
  *message = line.substr(level + kLevel.size());
  return true;
}

void NoteError(const std::string& message, OperationErrors* errors) {
  ++errors->count;
  if (errors->lines.size() < OperationErrors::kErrorLinesKept) errors->lines.push_back(message);
}

// The operation of the runner's "Operation [jobs] ..." line.
bool OperationName(const std::string& line, std::string* name) {
  std::size_t open = line.find(kOperationResult);
  open = open == std::string::npos ? open : line.find('[', open);
  std::size_t close = open == std::string::npos ? open : line.find("] ", open);
  if (close == std::string::npos) return false;
  *name = line.substr(open + 1, close - open - 1);
  return true;
}

// "Operation [jobs] ok", "... ok, 3 errors" or "... failed[, N errors]": the
// errors logged since the previous operation ended are this one's.
void EndOperation(const std::string& line, const std::string& name, LogPass* pass) {
  RunRow& run = pass->log->run;
  std::string outcome = line.substr(line.find("] ", line.find(kOperationResult)) + 2);
  if (!run.operations.count(name)) run.operationOrder.push_back(name);
  run.operations[name] = outcome == "ok" ? "ok" : outcome.compare(0, 3, "ok,") == 0 ? "completed with errors" : "failed";
  if (pass->errors.count > 0) run.operationErrors[name] = std::move(pass->errors);
  pass->errors = OperationErrors();
}

void ReadLogLine(const std::string& line, LogPass* pass) {
  std::string value;
  RunRow& run = pass->log->run;
  if (ErrorMessage(line, &value)) NoteError(value, &pass->errors);
  if (IsRunnerLine(line, kRunStart)) {
    *pass->log = RunLog();  // a results directory used again: only the last run counts
    pass->log->firstLine = pass->lineNumber;
    if (Bracketed(line, "first message", &value)) hx::DumpNumberOf(value + "_.xml", &pass->log->firstMessage);
    pass->errors = OperationErrors();
    return;
  }
  if (ReadOrigin(line, &run)) return;
  if (IsRunnerLine(line, kOperationResult) && OperationName(line, &value)) EndOperation(line, value, pass);
}

void ReadFact(const std::vector<std::string>& r, RunRow* run) {
  if (r.size() < 4) return;
  if (r[1] == records::kServerName) run->serverName = r[2];
  if (r[1] == records::kMainMediaAgent) run->mainMediaAgent = r[2];
  if (r[1] == records::kDateFormat) {
    run->dateFormat = r[2];
    run->dateFormatSource = r[3];
  }
}

// A dropped save set or a resource given no schedule policy as an attention
// row; false for any other record.
bool AttentionOf(const std::vector<std::string>& r, AttentionRow* row) {
  if (r[0] == records::kDroppedSaveSet && r.size() >= 5) {
    *row = {kAttentionDropped, "content [" + r[3] + "], group[" + r[2] + "], client[" + r[1] + "]",
            r[4] == records::kNoClient ? "its client is not known" : "its resource is not known"};
    return true;
  }
  if (r[0] == records::kSkippedResource && r.size() >= 4) {
    *row = {kAttentionNoSchedule, "[" + r[2] + "] client [" + r[1] + "]", r[3]};
    return true;
  }
  return false;
}

// Calls `onRecord` with the fields of each record of the file, in order.
template <typename OnRecord>
void ForEachRecord(const std::string& path, OnRecord onRecord) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) onRecord(records::Decode(line));
}

}  // namespace

bool OfLastRun(const std::string& name, const RunLog& log) {
  unsigned long number = 0;
  return log.firstMessage == 0 || (hx::DumpNumberOf(name, &number) && number >= log.firstMessage);
}

std::string ScheduleKey(const std::string& client, const std::string& subclient) { return client + '\n' + subclient; }

void ScheduleIndex::SetSchedule(const std::string& client, const std::string& subclient, const std::string& schedule) {
  m_schedules[ScheduleKey(client, subclient)] = schedule;
}

void ScheduleIndex::AddPolicy(const SchedulePolicyRow& policy) {
  for (const ScheduledResource& r : policy.resources)
    m_policies[r.client + '\n' + r.application + '\n' + r.subclient].push_back(policy.name);
}

// A policy is named "<schedule>_<group>"; with the schedule known the group is the rest.
void ScheduleIndex::Fill(ResourceRow* row) const {
  auto schedule = m_schedules.find(ScheduleKey(row->client, row->subclient));
  if (schedule != m_schedules.end()) row->schedule = schedule->second;
  auto policies = m_policies.find(row->client + '\n' + row->application + '\n' + row->subclient);
  if (policies == m_policies.end()) return;
  std::string prefix = row->schedule + "_";
  for (const std::string& policy : policies->second)
    row->groups.push_back(!row->schedule.empty() && policy.compare(0, prefix.size(), prefix) == 0 ? policy.substr(prefix.size())
                                                                                                  : policy);
}

void ExtractClient(const CNMessageBase& info, EstateSink& sink) {
  using namespace clientfields;  // NOLINT: the client tree's vocabulary
  const CNMessageBase* record = Sub(&info, kRecord.i);
  ClientRow client;
  client.name = Str(Sub(record, kEntity.i), kEntityName.i);
  client.os = OperatingSystem(record);
  for (const CNMessageBase& component : List(record, kComponents.i))
    if (Int(Sub(&component, kComponentId.i), kEntityValue.i) == kMediaAgentComponent) client.storageNode = true;
  std::string installation = Str(Sub(Sub(&info, kMaster.i), kInstallation.i), kInstallationName.i);
  const std::string prefix = "NETWORKER_";
  if (installation.compare(0, prefix.size(), prefix) == 0) client.server = installation.substr(prefix.size());
  for (const CNMessageBase& p : List(Sub(&info, kProperties.i), kPropertyList.i))
    if (Str(&p, kPropertyName.i) == "Foreign Client Version") client.versions.push_back(Str(&p, kPropertyValue.i));
  ExtractAgents(record, &client, sink);
  sink.Client(client);
}

void ExtractSchedulePolicy(const CNMessageBase& task, EstateSink& sink) {
  using namespace schedulefields;  // NOLINT: the schedule policy's vocabulary
  const CNMessageBase* body = Sub(&task, kBody.i);
  SchedulePolicyRow row;
  row.name = Str(Sub(body, kDefinition.i), kTaskName.i);
  for (const CNMessageBase& subtask : List(body, kSubtasks.i)) row.slots.push_back(ReadSlot(subtask));
  for (const CNMessageBase& entity : List(body, kAssociations.i)) {
    ScheduledResource resource{Str(&entity, kAssociationClient.i), Str(&entity, kAssociationAppName.i),
                               Str(&entity, kAssociationSubclient.i)};
    row.subclients.push_back(resource.client + " / " + resource.subclient);
    row.resources.push_back(std::move(resource));
  }
  sink.SchedulePolicy(row);
}

void ExtractLibrary(const CNMessageBase& item, EstateSink& sink) {
  using namespace mediafields;  // NOLINT: the media messages' vocabulary
  sink.Library({Str(&item, kLibraryName.i), static_cast<long long>(List(Sub(&item, kDrives.i), kItems.i).size())});
}

void ExtractMedium(const CNMessageBase& item, EstateSink& sink) {
  using namespace mediafields;  // NOLINT: the media messages' vocabulary
  MediumRow row;
  row.volume = Str(&item, kMediumName.i);
  row.library = Str(&item, kMediumLibrary.i);
  for (const CNMessageBase& info : List(Sub(&item, kMediumInfo.i), kItems.i)) {
    long long id = Int(&info, kInfoId.i);
    if (id == kInfoJob) ++row.jobs;
    if (id == kInfoRetention && !row.hasRetention) {
      row.hasRetention = true;
      row.retention = Number(Str(&info, kInfoValue.i));
    }
  }
  sink.Medium(row);
}

void ExtractPool(const CNMessageBase& policy, EstateSink& sink) {
  using namespace policyfields;  // NOLINT: the storage policies' vocabulary
  PoolRow row{Str(&policy, kPolicyName.i), Str(&policy, kPolicyDescription.i), {}, {}};
  for (const CNMessageBase& copy : List(&policy, kCopies.i)) {
    row.copies.push_back(Str(&copy, kCopyName.i));
    for (const CNMessageBase& path : List(&copy, kDataPaths.i)) row.libraries.push_back(Str(&path, kPathLibrary.i));
  }
  if (row.copies.empty())
    sink.Attention({kAttentionNoCopy, row.name, "none of its devices could be traced to a library (disk devices outside a jukebox have none)"});
  sink.Pool(row);
}

void ExtractJob(const CNMessageBase& job, EstateSink& sink) {
  using namespace jobfields;  // NOLINT: the job's vocabulary
  const CNMessageBase* summary = Sub(Sub(&job, kStatistics.i), kSummary.i);
  sink.Job({Str(Sub(&job, kSubclient.i), kSubclientClient.i), Int(summary, kSummaryStartTime.i),
            Int(summary, kSummaryBytes.i)});
}

const std::vector<MessageRows>& MessageKinds() {
  static const std::vector<MessageRows> kKinds = {
      {"App::ClientsList", {clientfields::kClients.i}, ExtractClient},
      {"TMMsg::CreateTaskReq", {}, ExtractSchedulePolicy},
      {"FDC::ForeignLibraries", {mediafields::kLibraryList.i, mediafields::kItems.i}, ExtractLibrary},
      {"FDC::ForeignMedias", {mediafields::kMediaList.i, mediafields::kItems.i}, ExtractMedium},
      {"FDC::StoragePolicyList", {policyfields::kPolicies.i}, ExtractPool},
      {"FDC::JobList", {jobfields::kListJobs.i}, ExtractJob},
  };
  return kKinds;
}

void ExtractMessage(const CNMessageBase& msg, EstateSink& sink) {
  const char* name = msg.className() ? msg.className() : "";
  for (const MessageRows& kind : MessageKinds()) {
    if (std::strcmp(kind.className, name) != 0) continue;
    if (kind.listPath.empty()) return kind.extract(msg, sink);
    const CNMessageBase* holder = &msg;
    for (std::size_t n = 0; holder && n + 1 < kind.listPath.size(); ++n) holder = Sub(holder, static_cast<short>(kind.listPath[n]));
    for (const CNMessageBase& item : List(holder, static_cast<short>(kind.listPath.back()))) kind.extract(item, sink);
    return;
  }
}

namespace {

bool ReadLog(const std::string& path, LogPass* pass) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line))
    if (++pass->lineNumber >= pass->log->firstLine) ReadLogLine(line, pass);
  return true;
}

}  // namespace

bool ReadRunLog(const std::string& path, RunLog* log) {
  LogPass pass{log, 0, {}};
  return ReadLog(path, &pass);
}

void ReadRunFacts(const std::string& path, RunRow* run, ScheduleIndex* index) {
  ForEachRecord(path, [run, index](const std::vector<std::string>& r) {
    if (r[0] == records::kFact) ReadFact(r, run);
    if (r[0] == records::kResourceSchedule && r.size() >= 4) index->SetSchedule(r[1], r[2], r[3]);
  });
}

void ReadRunAttention(const std::string& path, EstateSink& sink) {
  ForEachRecord(path, [&sink](const std::vector<std::string>& r) {
    AttentionRow row;
    if (AttentionOf(r, &row)) sink.Attention(row);
  });
}

}  // namespace nwk
