// CForeignCmdExecBase: command line -> process -> output file -> parser.
#include "hx/CmdExecBase.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "hx/CommandLine.h"
#include "hx/Files.h"
#include "hx/Interrupt.h"
#include "hx/JobContext.h"
#include "hx/Log.h"
#include "hx/Process.h"
#include "hx/Strings.h"

namespace {

bool g_useExistingFiles = false;

std::string FirstLineOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string TempDir() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

}  // namespace

CForeignCmdExecBase::CForeignCmdExecBase(int communicationMethod) : m_communicationMethod(communicationMethod) {}

CForeignCmdExecBase::~CForeignCmdExecBase() {
  for (const std::string& path : m_tempFiles) hx::ForgetTempFile(path);  // the fetcher has removed them
}

bool CForeignCmdExecBase::get_UseExistingFiles() { return g_useExistingFiles; }
void CForeignCmdExecBase::set_UseExistingFiles(bool use) { g_useExistingFiles = use; }
long long CForeignCmdExecBase::get_JobId() const { return hx::JobContext::Current().jobId; }
std::string CForeignCmdExecBase::get_ForeignServer() { return hx::JobContext::Current().foreignServer; }

std::string CForeignCmdExecBase::OutputPath(const std::string& name) {
  return hx::JoinPath(hx::JobContext::Current().resultsDir, name);
}

void CForeignCmdExecBase::AddSuccessRetCode(int code) { m_successCodes.insert(code); }

std::string CForeignCmdExecBase::GetFileNameForOutput(int /*n*/) {
  std::string pattern = hx::JoinPath(TempDir(), "nwk-input-XXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = mkstemp(buffer.data());
  if (fd < 0) return pattern.substr(0, pattern.size() - 6) + std::to_string(getpid());
  close(fd);
  m_tempFiles.push_back(buffer.data());
  hx::AddTempFile(buffer.data());  // removed by an interrupt that comes first
  return buffer.data();
}

void CForeignCmdExecBase::SplitLine(const std::string& line, std::vector<std::string>& parts, char sep,
                                    char escape, char /*unused3*/, char /*unused4*/) {
  hx::SplitLine(line, parts, sep, escape);
}

bool CForeignCmdExecBase::Fail(int execResult, const std::string& why) {
  m_execResult = execResult;
  m_lastError = why;
  EvEvent log;
  log.Error("CForeignCmdExecBase::FetchData", "%s", why.c_str());
  return false;
}

bool CForeignCmdExecBase::FetchData(void* context) {
  m_execResult = 0;
  m_lastError.clear();
  std::string commandLine = _GetCommandLine();
  std::string outputPath = OutputPath(_GetFileNameForData());
  bool parseExisting = commandLine == kSkipToken || g_useExistingFiles;
  if (parseExisting && commandLine != kSkipToken && !hx::FileExists(outputPath))
    return Fail(2, "replay: output file '" + outputPath + "' is missing");
  if (!parseExisting && !RunCommand(commandLine, outputPath)) return false;
  if (!_ParseData(context, outputPath)) {
    m_lastError = "could not parse '" + outputPath + "'";
    return false;
  }
  return true;
}

bool CForeignCmdExecBase::RunCommand(const std::string& commandLine, const std::string& outputPath) {
  hx::ParsedCommand parsed;
  std::string error;
  if (!hx::ParseCommandLine(commandLine, &parsed, &error))
    return Fail(2, "cannot run [" + commandLine + "]: " + error);
  hx::ProcessOptions options;
  options.stdinPath = parsed.stdinPath;
  options.outputPath = outputPath;
  options.timeoutSeconds = hx::JobContext::Current().commandTimeoutSeconds;
  hx::ProcessResult result = hx::RunProcess(parsed.argv, options);
  if (!result.started) return Fail(2, "cannot run [" + commandLine + "]: " + result.error);
  if (result.timedOut)
    return Fail(2, "[" + commandLine + "] timed out after " + std::to_string(options.timeoutSeconds) +
                       " s and was killed");
  if (result.termSignal != 0)
    return Fail(1, "[" + commandLine + "] was killed by signal " + std::to_string(result.termSignal));
  if (!IsSuccess(result.exitCode, outputPath))
    return Fail(1, "[" + commandLine + "] failed with exit status " + std::to_string(result.exitCode) +
                       "; output starts: " + FirstLineOf(outputPath));
  return true;
}

bool CForeignCmdExecBase::IsSuccess(int exitCode, const std::string& outputPath) const {
  if (m_successCodes.count(exitCode)) return true;
  std::string first = FirstLineOf(outputPath);
  for (int code : m_successCodes) {
    if (code <= 0) continue;
    std::string prefix = std::to_string(code) + ":";
    if (first.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

bool CForeignCmdExecBase::_ParseData(void* /*context*/, const std::vector<std::string>& /*lines*/) {
  return false;
}

bool CForeignCmdExecBase::_ParseData(void* context, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return _ParseData(context, lines);
}
