// CForeignHandlerBase: the host services a handler uses, made real on files.
#include "hx/HandlerBase.h"

#include "BackgroundDump.h"

#include <utility>

#include "hx/Files.h"
#include "hx/JobContext.h"
#include "hx/Log.h"
#include "hx/MessageObserver.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace {

const char* kFunc = "CForeignHandlerBase";

std::string FileClassName(const char* className) {
  std::string name = className ? className : "";
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, 2, "::") == 0) {
      out += '_';
      ++i;
    } else {
      out += name[i];
    }
  }
  return out;
}

}  // namespace

CForeignHandlerBase::CForeignHandlerBase() : CForeignHandlerBase(hx::JobContext::Current().jobId) {}

CForeignHandlerBase::CForeignHandlerBase(long long jobId)
    : m_offline(hx::JobContext::Current().offline), m_jobId(jobId) {}

CForeignHandlerBase::~CForeignHandlerBase() = default;

int CForeignHandlerBase::DiscoverConfig(CNMessageBase*) { return 0; }
int CForeignHandlerBase::DiscoverStoragePolicies(CNMessageBase*) { return 0; }
int CForeignHandlerBase::DiscoverClients(CNMessageBase*) { return 0; }
int CForeignHandlerBase::DiscoverJobs(CNMessageBase*) { return 0; }
int CForeignHandlerBase::DiscoverMedia(CNMessageBase*) { return 0; }
int CForeignHandlerBase::DiscoverSchedule(CNMessageBase*) { return 0; }
int CForeignHandlerBase::RetrieveMetadata() { return 0; }
int CForeignHandlerBase::DoRestore(CNMessageBase*) { return 0; }
int CForeignHandlerBase::GetProductType() { return 0; }
int CForeignHandlerBase::GetPostProcessingContent(CNMessageBase*) { return 0; }
int CForeignHandlerBase::GetResourcesForBackup(CNMessageBase*) { return 0; }
int CForeignHandlerBase::PrepareContentForPostProcessing(CNMessageBase*) { return 0; }
int CForeignHandlerBase::PostProcessingCleanup() { return 0; }
int CForeignHandlerBase::DiscoverDriveHistory(CNMessageBase*) { return 0; }
void CForeignHandlerBase::setRestartString(const std::string&) {}

std::string CForeignHandlerBase::GetJobResultsDirForJob() const { return hx::JobContext::Current().resultsDir; }
std::string CForeignHandlerBase::GetJobResultsDir() const { return hx::JobContext::Current().resultsDir; }

CLmError CForeignHandlerBase::_SendMessage(CNMessageBase* msg, int, bool& abortFlag, int) {
  abortFlag = false;
  const std::string& link = hx::JobContext::Current().hostLinkDir;
  if (m_offline || link.empty()) return CLmError(-1, "no host link: the handler runs offline");
  std::string path, error;
  if (!msg || !hx::DumpMessageToFolder(*msg, hx::JoinPath(link, "outbox"), &path, &error)) {
    EvEvent().Error(kFunc, "cannot send message: %s", error.c_str());
    return CLmError(-5, "cannot send message: " + error);
  }
  return CLmError::Ok();
}

CNMessageBase* CForeignHandlerBase::_ReceiveMessage(unsigned long classKey, bool& timedOut, int) {
  timedOut = true;
  const std::string& link = hx::JobContext::Current().hostLinkDir;
  const hx::MessageClassInfo* info = hx::FindMessageClassByKey(classKey);
  if (m_offline || link.empty() || !info) return nullptr;
  std::string path = hx::JoinPath(hx::JoinPath(link, "inbox"), FileClassName(info->name) + ".xml");
  if (!hx::FileExists(path)) return nullptr;
  auto response = std::make_unique<CNMessageBase>(info->module, info->type);
  std::string error;
  if (!hx::ReadMessageXmlFile(path, response.get(), &error)) {
    EvEvent().Error(kFunc, "ignoring unreadable response %s: %s", path.c_str(), error.c_str());
    return nullptr;
  }
  if (response->module() != info->module || response->type() != info->type) {
    EvEvent().Error(kFunc, "ignoring response %s: it holds class (%d, %d), not %s", path.c_str(),
                    response->module(), response->type(), info->name);
    return nullptr;
  }
  timedOut = false;
  m_lastResponse = std::move(response);
  return m_lastResponse.get();
}

bool CForeignHandlerBase::DumpXmlMsgToFile(CNMessageBase* msg, int, bool) {
  if (!msg) return false;
  hx::MessageObserver* observer = hx::JobContext::Current().messageObserver;
  if (observer) observer->Writing(*msg);
  std::string path, error;
  bool written = hx::DumpMessageToFolder(*msg, hx::JoinPath(GetJobResultsDir(), "xml"), &path, &error);
  return LogDump(written, path, error, observer);
}

void CForeignHandlerBase::StartXmlMsgDump(CNMessageBase&& msg, DumpCompanion companion) {
  if (!m_backgroundDump) m_backgroundDump = std::make_unique<hx::BackgroundDump>();
  m_dumpObserver = hx::JobContext::Current().messageObserver;
  if (m_dumpObserver) m_dumpObserver->Writing(msg);
  m_backgroundDump->Start(std::move(msg), hx::JoinPath(GetJobResultsDir(), "xml"), std::move(companion));
}

bool CForeignHandlerBase::FinishXmlMsgDump() {
  std::string path, error = "nothing was started";
  std::vector<hx::ErrorLine> said;
  bool written = m_backgroundDump && m_backgroundDump->Wait(&path, &error, &said);
  for (const hx::ErrorLine& line : said) EvEvent().Error(line.func, "%s", line.text.c_str());
  hx::MessageObserver* observer = std::exchange(m_dumpObserver, nullptr);
  return LogDump(written, path, error, observer);
}

bool CForeignHandlerBase::LogDump(bool written, const std::string& path, const std::string& error,
                                  hx::MessageObserver* observer) {
  if (observer) observer->Written(written ? path : std::string());
  if (!written) {
    EvEvent().Error(kFunc, "cannot write XML message: %s", error.c_str());
    return false;
  }
  EvEvent().DebugLvl(kFunc, 4, "Wrote [%s]", path.c_str());
  return true;
}

int CForeignHandlerBase::processItemIdb(const std::string& name, CNMessageBase* msg, bool) {
  const char* className = msg && msg->className() ? msg->className() : "?";
  EvEvent().DebugLvl("CForeignHandlerBase::processItemIdb", 0, "Handed [%s] to the host as %s", name.c_str(),
                     className);
  return 1;
}
