// Reads a results directory back into a ReportSummary: each message class
// has its own small reader; the operations' records give what the messages
// do not hold, and the runner's own log lines which operations succeeded.
#include "ReportData.h"

#include <dirent.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <string_view>
#include <unordered_map>

#include "ReportServerRelease.h"
#include "ReportStream.h"
#include "fields/RunRecords.h"
#include "fields/ScheduleFields.h"
#include "hx/Files.h"
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

// ---- clients -------------------------------------------------------------

void ReadSubclient(const CNMessageBase& sub, const std::string& client, bool otherAgent, ReportSummary* s) {
  const std::vector<CNMessageBase>& props = List(&sub, 6);
  std::string name = Str(Sub(&sub, 1), 1);
  if (otherAgent && name == "Manual") ++s->defaultManualResources;
  else if (otherAgent && (!props.empty() || !List(&sub, 7).empty())) s->otherAgentResources.push_back(client + " / " + name);
  if (props.empty()) return;
  ++s->subclients;
  for (const CNMessageBase& p : props) {
    std::string key = Str(&p, 3), value = Str(&p, 5);
    if (key == "compression" && value == "0") ++s->compressed;
    if (key == "Encrypt: encryption" && value == "2") ++s->encrypted;
  }
}

void ReadAgent(const CNMessageBase& agent, const std::string& client, ReportSummary* s) {
  const CNMessageBase* type = Sub(&agent, 1);
  std::string app = Str(type, 1);
  ++s->clientsByApp[app.empty() ? "(unnamed)" : app];
  bool other = Int(type, 0) == 130;
  for (const CNMessageBase& instance : List(&agent, 6))
    for (const CNMessageBase& set : List(&instance, 8))
      for (const CNMessageBase& sub : List(&set, 6)) ReadSubclient(sub, client, other, s);
}

void ReadClientProperties(const CNMessageBase* holder, ReportSummary* s) {
  for (const CNMessageBase& p : List(holder, 113))
    if (Str(&p, 2) == "Foreign Client Version") ++s->clientVersions[Str(&p, 4)];
}

void ReadClient(const CNMessageBase& info, ReportSummary* s) {
  const CNMessageBase* record = Sub(&info, 1);
  std::string name = Str(Sub(record, 1), 1);
  ++s->clients;
  const CNMessageBase* os = Sub(record, 2);
  // Windows clients are named "Server" by their OS record; the family makes that readable.
  std::string family = Str(os, 2), osName = Str(os, 3);
  if (family == "Windows" || osName.empty()) osName = family + (osName.empty() ? "" : " " + osName);
  ++s->clientsByOs[osName.empty() ? "(unknown)" : osName];
  for (const CNMessageBase& component : List(record, 19))
    if (Int(Sub(&component, 1), 0) == 11) s->storageNodes.push_back(name);
  for (const CNMessageBase& agent : List(record, 20)) ReadAgent(agent, name, s);
  std::string installation = Str(Sub(Sub(&info, 2), 1), 1);
  const std::string prefix = "NETWORKER_";
  if (installation.compare(0, prefix.size(), prefix) == 0) s->serverName = installation.substr(prefix.size());
  ReadClientProperties(Sub(&info, 3), s);
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

void ReadTask(const CNMessageBase& msg, ReportSummary* s) {
  using namespace schedulefields;  // NOLINT: the schedule policy's vocabulary
  const CNMessageBase* body = Sub(&msg, kBody.i);
  SchedulePolicy policy;
  policy.name = Str(Sub(body, kDefinition.i), kTaskName.i);
  policy.subclients = static_cast<long long>(List(body, kAssociations.i).size());
  for (const CNMessageBase& subtask : List(body, kSubtasks.i)) policy.slots.push_back(ReadSlot(subtask));
  s->schedules.push_back(std::move(policy));
}

// ---- storage -------------------------------------------------------------

void ReadLibraries(const CNMessageBase& msg, ReportSummary* s) {
  for (const CNMessageBase& item : List(Sub(&msg, 4), 1)) {
    LibrarySummary library;
    library.name = Str(&item, 2);
    library.drives = static_cast<long long>(List(Sub(&item, 4), 1).size());
    s->drives += library.drives;
    s->libraries.push_back(library);
  }
}

LibrarySummary& LibraryNamed(const std::string& name, ReportSummary* s) {
  for (LibrarySummary& library : s->libraries)
    if (library.name == name) return library;
  s->libraries.push_back(LibrarySummary{name, 0, 0});
  return s->libraries.back();
}

void ReadMedias(const CNMessageBase& msg, ReportSummary* s) {
  for (const CNMessageBase& item : List(Sub(&msg, 4), 1)) {
    ++s->media;
    ++LibraryNamed(Str(&item, 1), s).media;
    for (const CNMessageBase& info : List(Sub(&item, 5), 1))
      if (Int(&info, 1) == 218) {
        ++s->mediaWithRetention;
        break;
      }
  }
}

void ReadPolicies(const CNMessageBase& msg, ReportSummary* s) {
  for (const CNMessageBase& policy : List(&msg, 4)) {
    ++s->storagePolicies;
    if (List(&policy, 10).empty()) s->poolsWithoutCopies.push_back(Str(&policy, 1));
  }
}

// ---- history -------------------------------------------------------------

struct JobTotals {
  std::unordered_map<std::string, long long> bytesByClient;
};

// Sums stay defined whatever sizes a damaged file holds.
void Add(long long* sum, long long value) {
  if (__builtin_add_overflow(*sum, value, sum)) *sum = value > 0 ? LLONG_MAX : LLONG_MIN;
}

void ReadJobListFile(const std::string& path, ReportSummary* s, JobTotals* totals) {
  std::string error;
  bool ok = StreamJobList(path, [&](const JobFigures& job) {
    DayTotal& day = s->days[UtcDay(job.startTime)];
    ++day.jobs;
    Add(&day.bytes, job.bytes);
    ++s->jobs;
    Add(&s->bytes, job.bytes);
    Add(&totals->bytesByClient[job.client], job.bytes);
  }, &error);
  if (!ok) s->problems.push_back(error);
}

void RankClients(const JobTotals& totals, ReportSummary* s) {
  s->topClients.assign(totals.bytesByClient.begin(), totals.bytesByClient.end());
  std::sort(s->topClients.begin(), s->topClients.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  if (s->topClients.size() > 10) s->topClients.resize(10);
}

// ---- files ---------------------------------------------------------------

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool ListXmlFiles(const std::string& dir, std::vector<std::string>* names) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (dirent* entry = readdir(d)) {
    std::string name = entry->d_name;
    if (EndsWith(name, ".xml") && name[0] != '.') names->push_back(name);
  }
  closedir(d);
  std::sort(names->begin(), names->end());
  return true;
}

void ReadXmlFile(const std::string& path, const std::string& name, ReportSummary* s, JobTotals* totals) {
  using Reader = void (*)(const CNMessageBase&, ReportSummary*);
  static const std::pair<const char*, Reader> kReaders[] = {
      {"_TMMsg_CreateTaskReq.xml", ReadTask},
      {"_FDC_ForeignLibraries.xml", ReadLibraries}, {"_FDC_ForeignMedias.xml", ReadMedias},
      {"_FDC_StoragePolicyList.xml", ReadPolicies},
  };
  std::string error;
  if (EndsWith(name, "_FDC_JobList.xml")) return ReadJobListFile(path, s, totals);
  if (EndsWith(name, "_App_ClientsList.xml")) {
    if (!StreamListItems(path, 1, [s](const CNMessageBase& client) { ReadClient(client, s); }, &error))
      s->problems.push_back(error);
    return;
  }
  Reader reader = nullptr;
  for (const auto& entry : kReaders)
    if (EndsWith(name, entry.first)) reader = entry.second;
  if (!reader) return;
  CNMessageBase msg(0, 0);
  if (!hx::ReadMessageXmlFile(path, &msg, &error)) {
    s->problems.push_back(error);
    return;
  }
  reader(msg, s);
}

// ---- log and records ---------------------------------------------------

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

// What reading the log carries from line to line.
struct LogState {
  OperationErrors errors;          // logged since the last operation ended
  unsigned long firstMessage = 0;  // the last run's first message number; 0: every message counts
};

// A results directory used again keeps the log and the messages of earlier
// runs: only the last run counts.
void StartRun(const std::string& line, ReportSummary* s, LogState* state) {
  std::string number;
  *state = LogState();
  if (Bracketed(line, "first message", &number)) hx::DumpNumberOf(number + "_.xml", &state->firstMessage);
  s->operations.clear();
  s->operationOrder.clear();
  s->operationErrors.clear();
  s->origin.clear();
  s->originHost.clear();
  s->originServer.clear();
  s->originDataset.clear();
}

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
void EndOperation(const std::string& line, const std::string& name, ReportSummary* s, LogState* state) {
  std::string outcome = line.substr(line.find("] ", line.find(kOperationResult)) + 2);
  if (!s->operations.count(name)) s->operationOrder.push_back(name);
  s->operations[name] = outcome == "ok" ? "ok" : outcome.compare(0, 3, "ok,") == 0 ? "completed with errors" : "failed";
  if (state->errors.count > 0) s->operationErrors[name] = std::move(state->errors);
  state->errors = OperationErrors();
}

// The runner's lines on where the reports come from; false for any other line.
bool ReadOrigin(const std::string& line, ReportSummary* s) {
  if (IsRunnerLine(line, kQuestionedFrom) && Bracketed(line, kQuestionedFrom, &s->originHost)) {
    if (s->origin.empty()) s->origin = "local";
  } else if (IsRunnerLine(line, kNamedServer) && Bracketed(line, kNamedServer, &s->originServer)) {
    s->origin = "remote";
  } else if (IsRunnerLine(line, kReplayed) && Bracketed(line, kReplayed, &s->originDataset)) {
    s->origin = "replay";
  } else {
    return false;
  }
  return true;
}

// Only the runner's own lines and the level of each line are read: the
// operations' facts come from the records.
void ReadLogLine(const std::string& line, ReportSummary* s, LogState* state) {
  std::string value;
  if (ErrorMessage(line, &value)) NoteError(value, &state->errors);
  if (IsRunnerLine(line, kRunStart)) StartRun(line, s, state);
  else if (ReadOrigin(line, s)) return;
  else if (IsRunnerLine(line, kOperationResult) && OperationName(line, &value)) EndOperation(line, value, s, state);
}

void ReadLog(const std::string& path, ReportSummary* s, LogState* state) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    s->problems.push_back("cannot read the log '" + path + "'");
    return;
  }
  std::string line;
  while (std::getline(in, line)) ReadLogLine(line, s, state);
}

void ReadFact(const std::vector<std::string>& r, ReportSummary* s, std::string* recordedServer) {
  if (r.size() < 4) return;
  if (r[1] == records::kServerName) *recordedServer = r[2];
  if (r[1] == records::kMainMediaAgent) s->mainMediaAgent = r[2];
  if (r[1] == records::kDateFormat) {
    s->dateFormat = r[2];
    s->dateFormatSource = r[3];
  }
}

// What the operations recorded beside the log; the runner starts the file
// anew with each discovery run, so it holds the last run's records only.
void ReadRecords(const std::string& path, ReportSummary* s) {
  std::ifstream in(path, std::ios::binary);
  std::string line, recordedServer;
  while (std::getline(in, line)) {
    std::vector<std::string> r = records::Decode(line);
    if (r[0] == records::kFact) ReadFact(r, s, &recordedServer);
    else if (r[0] == records::kDroppedSaveSet) ++s->droppedSaveSets;
    else if (r[0] == records::kSkippedResource && r.size() >= 4)
      s->skippedSchedules.push_back("[" + r[2] + "] client [" + r[1] + "]: " + r[3]);
  }
  if (s->serverName.empty()) s->serverName = recordedServer;
}

// Messages of earlier runs in the same results directory are no part of the last run.
bool OfLastRun(const std::string& name, const LogState& state) {
  unsigned long number = 0;
  return state.firstMessage == 0 || (hx::DumpNumberOf(name, &number) && number >= state.firstMessage);
}

}  // namespace

std::string UtcDay(long long seconds) {
  constexpr long long kYear1 = -62135596800LL, kYear9999End = 253402300799LL;
  if (seconds < kYear1 || seconds > kYear9999End) return "out of range";
  // Days since 1970-01-01 to a civil date (proleptic Gregorian).
  long long z = (seconds >= 0 ? seconds : seconds - 86399) / 86400 + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  long long day = doy - (153 * mp + 2) / 5 + 1;
  long long month = mp < 10 ? mp + 3 : mp - 9;
  long long year = yoe + era * 400 + (month <= 2);
  auto pad = [](long long value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
  };
  return pad(year, 4) + "-" + pad(month, 2) + "-" + pad(day, 2);
}

bool LoadReportSummary(const std::string& resultsDir, ReportSummary* summary, std::string* error) {
  std::string xmlDir = hx::JoinPath(resultsDir, "xml");
  std::vector<std::string> names;
  if (!ListXmlFiles(xmlDir, &names) && !hx::FileExists(hx::JoinPath(resultsDir, "nwk-discover.log"))) {
    *error = "results directory '" + resultsDir + "' holds neither xml/ nor nwk-discover.log";
    return false;
  }
  LogState log;
  ReadLog(hx::JoinPath(resultsDir, "nwk-discover.log"), summary, &log);
  JobTotals totals;
  for (const std::string& name : names)
    if (OfLastRun(name, log)) ReadXmlFile(hx::JoinPath(xmlDir, name), name, summary, &totals);
  RankClients(totals, summary);
  ReadRecords(hx::JoinPath(resultsDir, records::kFileName), summary);
  ServerRelease release;
  if (ReadServerRelease(resultsDir, &release)) {
    summary->serverVersion = release.version;
    summary->modelNotice = ModelNotice(release);
  }
  return true;
}

}  // namespace nwk
