// The host process's job: prepare the results directory, load the plug-in,
// run the chosen discovery operations in order, and report.
#pragma once

#include <string>
#include <vector>

#include "ResultsDirectory.h"
#include "RunnerOptions.h"

class CForeignHandlerBase;

namespace nwk {

class PluginHandle;
class RunReport;

class Runner {
 public:
  explicit Runner(RunnerOptions options) : m_options(std::move(options)) {}
  ~Runner();
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;
  // Returns the process exit status (0 all succeeded, 1 an operation failed,
  // 2 the job could not start).
  int Run();

 private:
  // The operations to run, blank-separated, for the log and the first line.
  std::string OperationList() const;
  bool ChooseDataset(std::string* error);
  bool TakeResults(bool create, std::string* error);
  bool OpenLog(std::string* error);
  bool CopyReports(std::string* error);
  [[noreturn]] void Interrupted(int sig);
  int RebuildReport();
  int Compare();
  void LogOrigin() const;
  int RunOperations(PluginHandle& plugin, RunReport& report);
  bool ShowServerRelease();
  int RunOne(const Operation& op, CForeignHandlerBase& handler);

  RunnerOptions m_options;
  std::string m_datasetDir;  // empty in live mode
  std::vector<std::string> m_reports;  // the dataset's reports, to copy
  ResultsDirectory m_results;
  long long m_errorsAtStart = 0;  // the log's error count when the run began
};

}  // namespace nwk
