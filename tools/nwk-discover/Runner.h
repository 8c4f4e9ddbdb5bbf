// The host process's job: prepare the results directory, load the plug-in,
// run the chosen discovery operations in order, and report.
#pragma once

#include <string>

#include "RunnerOptions.h"

class CForeignHandlerBase;

namespace nwk {

class PluginHandle;

class Runner {
 public:
  explicit Runner(RunnerOptions options) : m_options(std::move(options)) {}
  // Returns the process exit status (0 all succeeded, 1 an operation failed,
  // 2 the job could not start).
  int Run();

 private:
  bool ChooseDataset(std::string* error);
  bool PrepareResults(std::string* error);
  void LogOrigin() const;
  int RunOperations(PluginHandle& plugin);
  bool ShowServerRelease();
  int RunOne(const Operation& op, CForeignHandlerBase& handler);

  RunnerOptions m_options;
  std::string m_datasetDir;  // empty in live mode
  long long m_errorsAtStart = 0;  // the log's error count when the run began
};

}  // namespace nwk
