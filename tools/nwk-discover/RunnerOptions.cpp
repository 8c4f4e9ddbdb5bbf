// Option parsing for nwk-discover.
#include "RunnerOptions.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "hx/HandlerBase.h"
#include "hx/MessageClasses.h"

namespace nwk {
namespace {

int RunConfig(CForeignHandlerBase& h, CNMessageBase& m) { return h.DiscoverConfig(&m); }
int RunClients(CForeignHandlerBase& h, CNMessageBase& m) { return h.DiscoverClients(&m); }
int RunJobs(CForeignHandlerBase& h, CNMessageBase& m) { return h.DiscoverJobs(&m); }
int RunMedia(CForeignHandlerBase& h, CNMessageBase& m) { return h.DiscoverMedia(&m); }
int RunSchedule(CForeignHandlerBase& h, CNMessageBase& m) { return h.DiscoverSchedule(&m); }

// The options that take a number, with the values they accept.
struct NumericOption {
  const char* name;
  long long min, max;
  const char* unit;  // for the message, may be empty
};
// A year: no report takes longer to write, and a larger figure is a typing slip.
constexpr long long kMaxTimeoutSeconds = 365LL * 24 * 3600;
constexpr NumericOption kNumericOptions[] = {
    {"--job-id", std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max(), ""},
    {"--debug-level", -1, 7, ""},
    {"--timeout", 1, kMaxTimeoutSeconds, " seconds"},
};

const NumericOption* FindNumericOption(const std::string& name) {
  for (const NumericOption& option : kNumericOptions)
    if (name == option.name) return &option;
  return nullptr;
}

// A whole number within the option's range; the message tells a value that is
// no number from one out of range.
bool ParseNumber(const NumericOption& option, const std::string& text, long long* value, std::string* error) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value);
  bool number = !text.empty() && result.ptr == end && result.ec != std::errc::invalid_argument;
  if (number && result.ec == std::errc() && *value >= option.min && *value <= option.max) return true;
  *error = number ? std::string("option ") + option.name + " takes " + std::to_string(option.min) + " to " +
                        std::to_string(option.max) + option.unit + ", got '" + text + "'"
                  : std::string("option ") + option.name + " needs a number, got '" + text + "'";
  return false;
}

// Takes the value of an option that needs one; false when argv ends.
bool TakeValue(int argc, char** argv, int* i, std::string* value, std::string* error) {
  if (*i + 1 >= argc) {
    *error = std::string("option ") + argv[*i] + " needs a value";
    return false;
  }
  *value = argv[++*i];
  if (!value->empty()) return true;
  *error = std::string("option ") + argv[*i - 1] + " needs a value, got an empty one";
  return false;
}

// A server name goes to nsradmin and mminfo as the one argument after -s: one
// they would read as an option, or one that would break a log line, is refused.
bool CheckServerName(const std::string& name, std::string* error) {
  const bool control = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  if (name[0] == '-') *error = "option --server needs a server name, got '" + name + "'";  // never empty here
  else if (control) *error = "option --server: the server name holds a control character";
  else return true;
  return false;
}

bool ParseOption(int argc, char** argv, int* i, RunnerOptions* o, std::string* error) {
  std::string arg = argv[*i], value;
  if (arg == "--help" || arg == "-h") return o->help = true;
  if (arg == "--version") return o->version = true;
  if (arg == "--live") return o->live = true;
  if (arg == "--offline") return o->offline = true;
  if (arg == "--strict") return o->strict = true;
  if (arg == "--replay") return TakeValue(argc, argv, i, &o->replayDir, error);
  if (arg == "--out") return TakeValue(argc, argv, i, &o->outDir, error);
  if (arg == "--settings") return TakeValue(argc, argv, i, &o->settingsFile, error);
  if (arg == "--host-link") return TakeValue(argc, argv, i, &o->hostLinkDir, error);
  if (arg == "--plugin") return TakeValue(argc, argv, i, &o->pluginPath, error);
  if (arg == "--server") return TakeValue(argc, argv, i, &o->server, error) && CheckServerName(o->server, error);
  const NumericOption* numeric = FindNumericOption(arg);
  if (!numeric) {
    *error = "unknown option " + arg + " (see --help)";
    return false;
  }
  long long number = 0;
  if (!TakeValue(argc, argv, i, &value, error) || !ParseNumber(*numeric, value, &number, error)) return false;
  if (arg == "--job-id") o->jobId = number;
  else if (arg == "--debug-level") o->debugLevel = static_cast<int>(number);
  else o->timeoutSeconds = static_cast<int>(number);
  return true;
}

bool Named(const std::vector<const Operation*>& operations, const char* name) {
  return std::any_of(operations.begin(), operations.end(), [&](const Operation* op) { return op->name == std::string(name); });
}

// Operations run in the host's order whatever the order named; one whose
// prerequisite is not named is refused rather than run to a poorer result.
bool PutInHostOrder(RunnerOptions* o, std::string* error) {
  std::vector<const Operation*> named = o->operations;
  std::stable_sort(o->operations.begin(), o->operations.end(),
                   [](const Operation* a, const Operation* b) { return a < b; });  // the table is in host order
  o->reordered = named != o->operations;
  for (const Operation* op : o->operations) {
    std::string missing;
    for (const char* need : op->needs)
      if (!Named(o->operations, need)) missing += (missing.empty() ? "'" : " and '") + std::string(need) + "'";
    if (!missing.empty()) {
      *error = std::string("operation '") + op->name + "' needs " + missing + " in the same run (" + op->why + ")";
      return false;
    }
  }
  return true;
}

std::string OperationNames() {
  std::string names;
  for (const Operation& op : Operations()) names += (names.empty() ? "" : ", ") + std::string(op.name);
  return names;
}

}  // namespace

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> kOperations = {
      {"config", "configuration discovery: host options, instance properties, server date format", RunConfig},
      {"clients", "client discovery: clients, resources and the subclient tree", RunClients},
      {"jobs", "job discovery: save set history and the media-job mapping", RunJobs, {"clients"},
       "save sets are matched against the clients it reads"},
      {"media", "media discovery: libraries, drives, media and storage policies", RunMedia, {"config", "clients"},
       "retention dates are read in the server's date format and names carry the server's name"},
      {"schedule", "schedule discovery: groups and schedules as schedule policies", RunSchedule, {"clients"},
       "schedules are built from the clients and groups it reads"},
      {"report", "only rebuild report.html, summary.json and estate.xlsx from an existing results directory", nullptr},
      {"compare", "compare OLD NEW: what changed between two results directories (changes.json, changes.html in NEW)",
       nullptr},
  };
  return kOperations;
}

const Operation* FindOperation(const std::string& name) {
  for (const Operation& op : Operations())
    if (name == op.name) return &op;
  return nullptr;
}

bool ParseRunnerOptions(int argc, char** argv, RunnerOptions* o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.size() > 1 && arg[0] == '-') {
      if (!ParseOption(argc, argv, &i, o, error)) return false;
      continue;
    }
    if (IsCompare(*o) && o->compareDirs.size() < 2) {
      o->compareDirs.push_back(arg);
      continue;
    }
    const Operation* op = FindOperation(arg);
    if (!op) {
      *error = "unknown operation '" + arg + "' (operations: " + OperationNames() + ")";
      return false;
    }
    o->operations.push_back(op);
  }
  if (o->operations.size() > 1)
    for (const Operation* op : o->operations)
      if (!op->run) {
        *error = std::string("operation '") + op->name + "' runs alone";
        return false;
      }
  if (IsCompare(*o) && o->compareDirs.size() != 2) {
    *error = "compare needs two results directories: compare OLD NEW";
    return false;
  }
  if (!PutInHostOrder(o, error)) return false;
  if (o->live && !o->replayDir.empty()) {
    *error = "--live and --replay exclude each other";
    return false;
  }
  if (!o->server.empty() && !o->live) {
    *error = "--server names the server to question and needs --live";
    return false;
  }
  if (o->operations.empty())
    for (const Operation& op : Operations())
      if (op.run) o->operations.push_back(&op);
  return true;
}

bool IsReportOnly(const RunnerOptions& options) {
  return options.operations.size() == 1 && std::string(options.operations[0]->name) == "report";
}

bool IsCompare(const RunnerOptions& options) {
  return options.operations.size() == 1 && std::string(options.operations[0]->name) == "compare";
}

std::string UsageText() {
  std::string text =
      "Usage: nwk-discover [OPTIONS] [OPERATION ...]\n"
      "       nwk-discover report --out DIR\n"
      "       nwk-discover compare OLD NEW\n"
      "\n"
      "Inspects a NetWorker server with nsradmin and mminfo and describes it as host\n"
      "messages, written as XML files under the results directory.\n"
      "\n"
      "Operations (default: every discovery operation; named ones run in this order, and\n"
      "jobs and schedule need clients, media needs config and clients, in the same run):\n";
  for (const Operation& op : Operations()) text += "  " + std::string(op.name) + std::string(10 - std::string(op.name).size(), ' ') + op.description + "\n";
  text +=
      "\n"
      "Options:\n"
      "  --replay DIR       parse the reports of a dataset directory (copied into the results)\n"
      "  --live             run nsradmin and mminfo from PATH against the server they answer for\n"
      "                     (neither: replay the bundled sample)\n"
      "  --server NAME      with --live: question the NetWorker server NAME (nsradmin and mminfo -s NAME)\n"
      "  --out DIR          results directory (default ./nwk-results)\n"
      "  --settings FILE    INI settings, section [Pluvex]: sNWKLOCALEFORMAT, nTARNJobAggregationInterval,\n"
      "                     nMaxCommandOutputMB (default 8192)\n"
      "  --host-link DIR    exchange messages with the host: DIR/outbox (sent), DIR/inbox (responses)\n"
      "  --offline          exchange no message with the host (the default without --host-link)\n"
      "  --job-id N         job id for log lines and status messages (default 0)\n"
      "  --debug-level N    log detail, -1 to 7 (default 4); errors are always logged\n"
      "  --timeout SECONDS  kill a NetWorker command that runs longer (1 to 31536000, default 1800)\n"
      "  --plugin PATH      the plug-in library to load (default: next to this program)\n"
      "  --strict           exit status 1 when any error was logged, also by an operation that succeeded\n"
      "  --help, --version\n"
      "\n"
      "Exit status: 0 when every operation succeeded, 1 when one failed (with --strict, also\n"
      "when an error was logged), 2 on bad options, a missing prerequisite operation, or a\n"
      "missing dataset or settings file. The log is <results>/nwk-discover.log; every run ends\n"
      "by writing <results>/report.html, <results>/summary.json and the workbook\n"
      "<results>/estate.xlsx (exit status 1 when that fails). compare exits 0 when nothing\n"
      "changed, 1 when something did, 2 when a directory cannot be read.\n";
  return text;
}

}  // namespace nwk
