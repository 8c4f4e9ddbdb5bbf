// Runner: results directory, dataset replay, plug-in loading, operations.
#include "Runner.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "EstateCompareCommand.h"
#include "Report.h"
#include "ReportServerRelease.h"
#include "ResultsDirectory.h"
#include "fields/RunRecords.h"
#include "hx/CmdExecBase.h"
#include "hx/Files.h"
#include "hx/HandlerBase.h"
#include "hx/HostEnv.h"
#include "hx/Interrupt.h"
#include "hx/JobContext.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "hx/Progress.h"
#include "hx/Settings.h"
#include "hx/XmlForm.h"

namespace nwk {
namespace {

// The operation running now, for progress lines.
const char* g_currentOperation = "";

// On a terminal progress rewrites the operation's line in place; otherwise
// only the last report of each stage is printed, one line each.
void PrintProgress(const std::string& text, bool final) {
  if (isatty(STDOUT_FILENO)) {
    std::printf("\r\033[K%-9s %s", g_currentOperation, text.c_str());
  } else if (final) {
    std::printf("  %s %s\n", g_currentOperation, text.c_str());
  }
  std::fflush(stdout);
}

constexpr const char* kSampleName = "nwsrv-lab";
constexpr const char* kPluginFile = "libnwkhandler.so";
constexpr const char* kLogName = "nwk-discover.log";

std::string ExecutableDir() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string exe(path, static_cast<size_t>(n));
  return exe.substr(0, exe.rfind('/'));
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// True when `path` is a directory; otherwise `error` says what it is instead,
// calling it `what` ("dataset directory", "results directory").
bool CheckDirectory(const std::string& path, const std::string& what, std::string* error) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    *error = what + " '" + path + "' " + (errno == ENOENT ? std::string("does not exist") : std::strerror(errno));
    return false;
  }
  if (!S_ISDIR(st.st_mode)) *error = what + " '" + path + "' is a file, not a directory";
  return S_ISDIR(st.st_mode);
}

// The reports of a dataset: every tarn_*.txt file in it.
bool ListReports(const std::string& dir, std::vector<std::string>* names, std::string* error) {
  DIR* d = opendir(dir.c_str());
  if (!d) {
    *error = "cannot read dataset directory '" + dir + "'";
    return false;
  }
  while (dirent* entry = readdir(d)) {
    std::string name = entry->d_name;
    if (name.rfind("tarn_", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
      names->push_back(name);
  }
  closedir(d);
  if (names->empty()) *error = "dataset directory '" + dir + "' holds no tarn_*.txt report";
  return !names->empty();
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ", 3 errors" when an operation logged errors on the way, else nothing. The
// log line "Operation [jobs] ok, 3 errors" is what the report reads as
// "completed with errors".
std::string ErrorsLogged(long long errors) {
  if (errors <= 0) return std::string();
  return ", " + std::to_string(errors) + (errors == 1 ? " error" : " errors");
}

// Makes the report's files durable once `written` (false: `error` says why);
// 0 when done, 1 otherwise (the reason is logged and shown).
int EndReport(const std::string& outDir, const ResultsDirectory& results, bool written, std::string error) {
  if (written && results.Sync(&error)) {
    std::printf("report    %s\n", hx::JoinPath(outDir, "report.html").c_str());
    return 0;
  }
  EvEvent().Error("Runner::EndReport", "Could not write the report: %s", error.c_str());
  std::fprintf(stderr, "nwk-discover: could not write the report: %s\n", error.c_str());
  return 1;
}

// A settings file named must be read whole: a run on half the settings the
// engineer wrote would not be the run asked for.
bool CheckSettings(const std::string& path, std::string* error) {
  if (path.empty()) return true;
  HxPlatformInfo settings(path);
  if (!settings.LoadError().empty()) *error = "unreadable settings file: " + settings.LoadError();
  return settings.LoadError().empty();
}

// The runner's own settings, read once the log is open so that a value not
// understood is logged.
void ApplySettings(hx::JobContext& job) {
  constexpr unsigned long kMiB = 1 << 20;
  HxPlatformInfo settings;
  unsigned long megabytes = 0;
  if (settings.getNumber("Pluvex", "nMaxCommandOutputMB", &megabytes) && megabytes > 0 &&
      megabytes <= std::numeric_limits<unsigned long long>::max() / kMiB)
    job.maxCommandOutputBytes = static_cast<unsigned long long>(megabytes) * kMiB;
}

}  // namespace

// The loaded plug-in and the handler it made; both released in reverse order.
class PluginHandle {
 public:
  ~PluginHandle() {
    if (handler && destroy) destroy(handler);
    if (library) dlclose(library);
  }
  // Opens the library and binds the factory; the handler is made later, once the job is set up.
  bool Open(const std::string& explicitPath, std::string* error) {
    std::vector<std::string> candidates;
    if (!explicitPath.empty()) candidates.push_back(explicitPath);
    // Installed layout first (<prefix>/bin beside <prefix>/<libdir>, wherever the
    // tree was unpacked), then the configured prefix, then the build tree.
    else candidates = {ExecutableDir() + "/../" + NWK_RELATIVE_PLUGIN_DIR + "/" + kPluginFile,
                       std::string(NWK_INSTALL_PLUGIN_DIR) + "/" + kPluginFile,
                       std::string(NWK_BUILD_PLUGIN_DIR) + "/" + kPluginFile};
    std::string why;
    for (const std::string& path : candidates) {
      if (!hx::FileExists(path)) continue;
      library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (library) return Bind(path, error);
      why = dlerror();
    }
    if (why.empty()) why = (explicitPath.empty() ? std::string(kPluginFile) : explicitPath) + " (not found)";
    *error = "cannot load the plug-in " + why;
    return false;
  }
  bool CreateHandler(long long jobId, std::string* error) {
    handler = create(jobId);
    if (!handler) *error = "plug-in " + m_path + " could not create its handler";
    return handler != nullptr;
  }
  const std::string& path() const { return m_path; }
  CForeignHandlerBase* handler = nullptr;

 private:
  bool Bind(const std::string& path, std::string* error) {
    m_path = path;
    create = reinterpret_cast<CreateForeignHandlerFn>(dlsym(library, "CreateForeignHandler"));
    destroy = reinterpret_cast<DestroyForeignHandlerFn>(dlsym(library, "DestroyForeignHandler"));
    if (!create || !destroy) {
      *error = "plug-in " + path + " does not export CreateForeignHandler/DestroyForeignHandler";
      return false;
    }
    return true;
  }
  std::string m_path;
  CreateForeignHandlerFn create = nullptr;
  void* library = nullptr;
  DestroyForeignHandlerFn destroy = nullptr;
};

Runner::~Runner() { hx::StopWatchingInterrupts(); }

std::string Runner::OperationList() const {
  std::string names;
  for (const Operation* op : m_options.operations) names += (names.empty() ? "" : " ") + std::string(op->name);
  return names;
}

bool Runner::ChooseDataset(std::string* error) {
  if (m_options.live) return true;
  m_datasetDir = m_options.replayDir;
  if (m_datasetDir.empty()) {
    for (const std::string& root : {ExecutableDir() + "/../" + NWK_RELATIVE_SAMPLES_DIR, std::string(NWK_INSTALL_SAMPLES_DIR),
                                    std::string(NWK_SOURCE_SAMPLES_DIR)}) {
      if (IsDirectory(root + "/" + kSampleName)) {
        m_datasetDir = root + "/" + kSampleName;
        break;
      }
    }
    if (m_datasetDir.empty()) {
      *error = std::string("the bundled sample '") + kSampleName + "' was not found; use --replay DIR or --live";
      return false;
    }
    std::printf("No --replay or --live given: replaying the bundled sample %s\n", m_datasetDir.c_str());
  }
  if (!CheckDirectory(m_datasetDir, "dataset directory", error)) return false;
  return ListReports(m_datasetDir, &m_reports, error);
}

// Takes the results directory for this run: checked and locked first, so that
// nothing is written into a directory another run or another user holds.
bool Runner::TakeResults(bool create, std::string* error) {
  if (!m_datasetDir.empty() && !CheckApart(m_datasetDir, m_options.outDir, error)) return false;
  if (!m_results.Open(m_options.outDir, create, error)) return false;
  hx::WatchInterrupts([this](int sig) { Interrupted(sig); });
  return true;
}

// A copy replaces whatever is at its name, a symbolic link included, and a
// failed one leaves no part of itself.
bool Runner::CopyReports(std::string* error) {
  for (const std::string& name : m_reports)
    if (!hx::CopyFileReplacing(hx::JoinPath(m_datasetDir, name), hx::JoinPath(m_options.outDir, name), error))
      return false;
  return true;
}

// Runs on the interrupt watcher's thread while the operation goes on in the
// main thread, so it ends the process itself, leaving nothing behind.
void Runner::Interrupted(int sig) {
  hx::StopRunningChildren(sig);
  int removed = hx::DeleteTempFiles() + m_results.RemoveLeftovers();
  EvEvent().Error("Runner::Run", "Interrupted by signal %d (%s): commands stopped, %d temporary file(s) removed",
                  sig, strsignal(sig), removed);
  m_results.Unlock();
  _exit(128 + sig);
}

// `report`: rebuilds the report's files of an existing results directory, runs no discovery.
int Runner::RebuildReport() {
  const std::string& outDir = m_options.outDir;
  std::string error;
  if (CheckDirectory(outDir, "results directory", &error) && m_results.Inspect(outDir, false, &error) &&
      !IsDirectory(hx::JoinPath(outDir, "xml")) && !hx::FileExists(hx::JoinPath(outDir, kLogName)))
    error = "'" + outDir + "' is not a results directory (it has neither xml/ nor " + kLogName + ")";
  if (!error.empty() || !TakeResults(false, &error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  bool written = WriteReport(m_options.outDir, &error);
  return EndReport(m_options.outDir, m_results, written, error);
}

// `compare`: holds NEW as a run would (it writes changes.json and changes.html
// there), so no run writes it meanwhile and no link in it is followed.
int Runner::Compare() {
  std::string error;
  if (!m_results.Open(m_options.compareDirs[1], false, &error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  int status = CompareResults(m_options.compareDirs[0], m_options.compareDirs[1]);
  if (status != 2 && !m_results.Sync(&error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  return status;
}

// Opens the log before anything else is written, and clears what an
// interrupted run left (the lock is held, so no other run is writing them).
bool Runner::OpenLog(std::string* error) {
  std::string path = hx::JoinPath(m_options.outDir, kLogName);
  if (!hx::LogSink::OpenFile(path)) {
    *error = "cannot open the log '" + path + "': " + std::strerror(errno);
    return false;
  }
  hx::LogSink::SetDebugLevel(m_options.debugLevel);
  hx::LogSink::SetEchoErrors(true);
  if (int removed = m_results.RemoveLeftovers())
    EvEvent().Debug("Runner::Run", "Removed [%d] temporary file(s) left by an interrupted run", removed);
  return true;
}

int Runner::RunOne(const Operation& op, CForeignHandlerBase& handler) {
  auto start = std::chrono::steady_clock::now();
  bool terminal = isatty(STDOUT_FILENO) != 0;
  g_currentOperation = op.name;
  if (terminal) {
    std::printf("%-9s ...", op.name);
    std::fflush(stdout);
  }
  int status = 0;
  long long errorsBefore = hx::LogSink::ErrorCount();
  if (std::string(op.name) == "config") {
    FDC::ExternalNBUConfig config;
    status = op.run(handler, config);
    std::string path, error;
    // The host would keep the completed configuration; we write it like any message.
    if (!hx::DumpMessageToFolder(config, hx::JoinPath(m_options.outDir, "xml"), &path, &error)) {
      std::fprintf(stderr, "error: cannot write the configuration message: %s\n", error.c_str());
      status = 0;
    }
  } else {
    CNMessageBase request(0, 0);
    status = op.run(handler, request);
  }
  std::string error;
  if (!m_results.Sync(&error)) {
    EvEvent().Error("Runner::RunOne", "%s", error.c_str());
    status = 0;
  }
  long long errors = hx::LogSink::ErrorCount() - errorsBefore;
  std::string logged = ErrorsLogged(errors);
  EvEvent().Debug("Runner::RunOne", "Operation [%s] %s%s", op.name, status == 1 ? "ok" : "failed", logged.c_str());
  if (!logged.empty()) logged += " (see log)";
  std::printf("%s%-9s %s%s (%.2f s)\n", terminal ? "\r\033[K" : "", op.name, status == 1 ? "ok" : "FAILED",
              logged.c_str(), SecondsSince(start));
  std::fflush(stdout);
  return status;
}

// Logs the server's release and says when it is newer than the model the
// discovery reads. False while the server report is not there.
bool Runner::ShowServerRelease() {
  ServerRelease release;
  if (!ReadServerRelease(m_options.outDir, &release)) return false;
  EvEvent().Debug("Runner::Run", "NetWorker server version [%s]", release.version.c_str());
  std::string notice = ModelNotice(release);
  if (!notice.empty()) std::printf("%s\n", notice.c_str());
  std::fflush(stdout);
  return true;
}

// A replayed dataset holds the server report from the start, so the release
// is told on the first line; a live run writes the report in client
// discovery (one left by an earlier run may be another server's).
int Runner::RunOperations(PluginHandle& plugin, RunReport& report) {
  int failed = 0;
  bool releaseShown = !m_options.live && ShowServerRelease();
  for (const Operation* op : m_options.operations) {
    if (RunOne(*op, *plugin.handler) != 1) ++failed;
    if (!releaseShown && m_options.live && std::string(op->name) == "clients") releaseShown = ShowServerRelease();
  }
  std::printf("%zu operation(s), %d failed; results in %s (log: %s)\n", m_options.operations.size(), failed,
              m_options.outDir.c_str(), hx::JoinPath(m_options.outDir, kLogName).c_str());
  hx::JobContext::Current().messageObserver = nullptr;
  std::string error;
  bool written = report.Finish(&error);
  int reportStatus = EndReport(m_options.outDir, m_results, written, error);
  if (failed > 0) return 1;
  long long errors = hx::LogSink::ErrorCount() - m_errorsAtStart;
  if (m_options.strict && errors > 0) {
    std::fprintf(stderr, "nwk-discover: --strict: %lld error(s) logged, exit status 1\n", errors);
    return 1;
  }
  return reportStatus;
}

// Where the reports come from, for the report's server section.
void Runner::LogOrigin() const {
  if (!m_options.live) {
    EvEvent().Debug("Runner::Run", "Replaying the reports of [%s]", m_datasetDir.c_str());
    return;
  }
  EvEvent().Debug("Runner::Run", "Questioned from host [%s]", GetHostName().c_str());
  if (!m_options.server.empty())
    EvEvent().Debug("Runner::Run", "Server named with --server [%s]", m_options.server.c_str());
}

int Runner::Run() {
  if (IsReportOnly(m_options)) return RebuildReport();
  if (IsCompare(m_options)) return Compare();
  std::string error;
  hx::SetProgressSink(PrintProgress);
  if (m_options.reordered) {
    std::printf("Operations run in the host's order: %s\n", OperationList().c_str());
    std::fflush(stdout);
  }
  PluginHandle plugin;
  if (!CheckSettings(m_options.settingsFile, &error) || !plugin.Open(m_options.pluginPath, &error) ||
      !ChooseDataset(&error) || !TakeResults(true, &error) || !OpenLog(&error) || !CopyReports(&error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  hx::JobContext& job = hx::JobContext::Current();
  job.resultsDir = m_options.outDir;
  job.hostLinkDir = m_options.hostLinkDir;
  job.offline = m_options.offline || m_options.hostLinkDir.empty();
  job.jobId = m_options.jobId;
  job.commandTimeoutSeconds = m_options.timeoutSeconds;
  job.settingsFile = m_options.settingsFile;
  job.foreignServer = m_options.server;
  job.useExistingFiles = !m_options.live;
  CForeignCmdExecBase::set_UseExistingFiles(job.useExistingFiles);
  m_errorsAtStart = hx::LogSink::ErrorCount();
  ApplySettings(job);
  // The report shows this run only: it starts from the run's first message.
  unsigned long firstMessage = 1;
  hx::NextDumpNumber(hx::JoinPath(m_options.outDir, "xml"), &firstMessage, &error);
  EvEvent().Debug("Runner::Run", "Discovery run started, operations [%s], first message [%05lu]",
                  OperationList().c_str(), firstMessage);
  EvEvent().Debug("Runner::Run", "Plug-in [%s]", plugin.path().c_str());
  LogOrigin();
  // The records describe one run, like the report made from them.
  unlink(hx::JoinPath(m_options.outDir, records::kFileName).c_str());

  if (!plugin.CreateHandler(m_options.jobId, &error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  // The report follows the messages as they are written, rather than reading them back.
  RunReport report(m_options.outDir);
  job.messageObserver = &report;
  return RunOperations(plugin, report);
}

}  // namespace nwk
