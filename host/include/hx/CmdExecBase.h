// Base of every command fetcher: runs the fetcher's command line without a
// shell, keeps its output in the job's results directory and hands the file to
// the fetcher's parser. In replay mode the file already there is parsed.
#pragma once

#include <set>
#include <string>
#include <vector>

// How a fetcher talks to its tool; 1 is "run a command line".
enum CommunicationMethod { kCommunicationCommandLine = 1 };

class CForeignCmdExecBase {
 public:
  // A command line equal to this means: run nothing, parse the file present.
  static constexpr const char* kSkipToken = "*_s?k?i?p_*";

  explicit CForeignCmdExecBase(int communicationMethod);
  virtual ~CForeignCmdExecBase();
  CForeignCmdExecBase(const CForeignCmdExecBase&) = delete;
  CForeignCmdExecBase& operator=(const CForeignCmdExecBase&) = delete;

  // Runs the command (or takes the file present), then parses the output file
  // into `context`. False when the command failed or the parser said so.
  bool FetchData(void* context);
  // Adds an exit code that counts as success (0 always does). A code above 0
  // is also a NetWorker message number: a run that exits non-zero but whose
  // first output line begins with "<code>:" succeeded.
  void AddSuccessRetCode(int code);
  // A fresh, empty temporary file's path (for a tool's input script). The
  // caller removes it; an interrupted run removes it first.
  std::string GetFileNameForOutput(int n);

  static bool get_UseExistingFiles();
  static void set_UseExistingFiles(bool use);
  // 0 success, 1 the tool ran and failed, 2 it could not be started or timed out.
  int get_execResult() const { return m_execResult; }
  long long get_JobId() const;
  // The server the job names for its tools (empty: the tools' own default).
  static std::string get_ForeignServer();
  int get_CommunicationMethod() const { return m_communicationMethod; }
  // Why the last FetchData failed, naming the command or file; empty after success.
  const std::string& get_lastError() const { return m_lastError; }
  // Full path of the output file `name` in the results directory.
  static std::string OutputPath(const std::string& name);

  static void SplitLine(const std::string& line, std::vector<std::string>& parts, char sep, char escape,
                        char unused3, char unused4);

 protected:
  virtual std::string _GetCommandLine() = 0;
  // The framework's own line parser: fetchers that override the path form never reach it.
  virtual bool _ParseData(void* context, const std::vector<std::string>& lines);
  // Reads the output file's lines and hands them to the line parser.
  virtual bool _ParseData(void* context, const std::string& path);
  virtual const char* _GetFileNameForData() const = 0;

  std::string m_commandText;  // the first string member; fetchers reset it

 private:
  bool RunCommand(const std::string& commandLine, const std::string& outputPath);
  bool IsSuccess(int exitCode, const std::string& outputPath) const;
  bool Fail(int execResult, const std::string& why);

  int m_communicationMethod;
  std::set<int> m_successCodes{0};
  int m_execResult = 0;
  std::string m_lastError;
  std::vector<std::string> m_tempFiles;  // made by GetFileNameForOutput
};
