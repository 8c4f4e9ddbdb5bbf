// Command-line options of nwk-discover and the table of discovery operations
// that drives both dispatch and --help.
#pragma once

#include <string>
#include <vector>

class CForeignHandlerBase;
class CNMessageBase;

namespace nwk {

struct Operation {
  const char* name;
  const char* description;
  // Null for an operation of the runner itself (`report`, `compare`), which loads no plug-in.
  int (*run)(CForeignHandlerBase& handler, CNMessageBase& request);
  // The operations that must run before it in the same run, and why.
  std::vector<const char*> needs = {};
  const char* why = nullptr;
};

// The discovery operations in the order the host runs them, then `report` and
// `compare`; operations named on the command line run in this order.
const std::vector<Operation>& Operations();
const Operation* FindOperation(const std::string& name);


struct RunnerOptions {
  std::string replayDir;   // --replay DIR
  bool live = false;       // --live
  std::string server;      // --server NAME: the server the commands name; empty: the machine's own
  std::string outDir = "./nwk-results";
  std::string settingsFile;
  std::string hostLinkDir;
  bool offline = false;
  bool strict = false;     // --strict: any error logged makes the exit status 1
  long long jobId = 0;
  int debugLevel = 4;
  int timeoutSeconds = 30 * 60;
  std::string pluginPath;
  bool help = false;
  bool version = false;
  std::vector<const Operation*> operations;  // empty before defaults are applied
  bool reordered = false;                    // the operations were named in another order
  std::vector<std::string> compareDirs;      // compare OLD NEW
};

// True when the options ask only to rebuild the report files.
bool IsReportOnly(const RunnerOptions& options);
// True when the options ask to compare two results directories.
bool IsCompare(const RunnerOptions& options);

// Parses argv. False with a one-line `error` naming the problem.
bool ParseRunnerOptions(int argc, char** argv, RunnerOptions* options, std::string* error);
std::string UsageText();

}  // namespace nwk
