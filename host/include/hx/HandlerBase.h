// Base class of a foreign-product handler, as the host process sees it: the
// discovery operations it calls, and the services the handler may use (sending
// and receiving messages, writing them as XML, the results directory, job id).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hx/Error.h"
#include "hx/Log.h"
#include "hx/Message.h"

namespace hx {
class BackgroundDump;
class MessageObserver;
}

class CForeignHandlerBase {
 public:
  CForeignHandlerBase();
  explicit CForeignHandlerBase(long long jobId);
  virtual ~CForeignHandlerBase();
  CForeignHandlerBase(const CForeignHandlerBase&) = delete;
  CForeignHandlerBase& operator=(const CForeignHandlerBase&) = delete;

  // Discovery operations: 1 success, 0 failure. The base does nothing and fails.
  virtual int DiscoverConfig(CNMessageBase* config);
  virtual int DiscoverStoragePolicies(CNMessageBase* request);
  virtual int DiscoverClients(CNMessageBase* request);
  virtual int DiscoverJobs(CNMessageBase* request);
  virtual int DiscoverMedia(CNMessageBase* request);
  virtual int DiscoverSchedule(CNMessageBase* request);
  virtual int RetrieveMetadata();
  virtual int DoRestore(CNMessageBase* request);
  // Operations of other product handlers; answered trivially here.
  virtual int GetProductType();
  virtual int GetPostProcessingContent(CNMessageBase* request);
  virtual int GetResourcesForBackup(CNMessageBase* request);
  virtual int PrepareContentForPostProcessing(CNMessageBase* request);
  virtual int PostProcessingCleanup();
  virtual int DiscoverDriveHistory(CNMessageBase* request);
  virtual void setRestartString(const std::string& restart);

  long long GetJobId() const { return m_jobId; }
  bool IsOffline() const { return m_offline; }
  void SetOffline(bool offline) { m_offline = offline; }

 protected:
  // Sends `msg` to the host server through the host link (written to
  // <link>/outbox/). Error when offline, without a link, or on I/O failure.
  CLmError _SendMessage(CNMessageBase* msg, int priority, bool& abortFlag, int timeoutSeconds);
  // The response of class `classKey` from <link>/inbox/<Class_Name>.xml, or
  // null (and `timedOut` set) when there is none or it cannot be read. The
  // message stays owned by the handler base until the next call.
  CNMessageBase* _ReceiveMessage(unsigned long classKey, bool& timedOut, int timeoutSeconds);
  // Writes `msg` as <results>/xml/NNNNN_<Class_Name>.xml; true when written.
  // The job's message observer, if any, is told of it (hx/MessageObserver.h).
  bool DumpXmlMsgToFile(CNMessageBase* msg, int priority, bool compress);
  // The same write done on a second thread, so that the handler can build its
  // next message meanwhile: StartXmlMsgDump takes `msg` over and returns at
  // once; FinishXmlMsgDump waits for that write and answers (and logs, on the
  // calling thread) what DumpXmlMsgToFile would have. One write at a time:
  // finish it before the next start and before any DumpXmlMsgToFile, so files
  // are numbered in the order the messages were made.
  //
  // A companion is other work for the second thread that goes with the
  // message: it runs there, with the message, just before the message is
  // written. It must not log; FinishXmlMsgDump logs the error lines it
  // answers, before the lines of the write.
  using DumpCompanion = std::function<std::vector<hx::ErrorLine>(const CNMessageBase&)>;
  void StartXmlMsgDump(CNMessageBase&& msg, DumpCompanion companion = nullptr);
  bool FinishXmlMsgDump();
  // Hands a finished message to the host by name; the stand-in logs it.
  int processItemIdb(const std::string& name, CNMessageBase* msg, bool flag);

  std::string GetJobResultsDirForJob() const;
  std::string GetJobResultsDir() const;
  // The number of the results sub-folder the handler keeps its own files in
  // (the host hands out one per discovery target; the runner leaves it 0).
  unsigned long long GetResultsSubfolderNumber() const { return m_resultsSubfolder; }

  bool m_offline = false;

 private:
  // Tells `observer` (when not null) the outcome of a dump, logs it as
  // DumpXmlMsgToFile does, and answers `written`.
  bool LogDump(bool written, const std::string& path, const std::string& error, hx::MessageObserver* observer);

  long long m_jobId = 0;
  unsigned long long m_resultsSubfolder = 0;
  std::unique_ptr<CNMessageBase> m_lastResponse;
  std::unique_ptr<hx::BackgroundDump> m_backgroundDump;  // made at the first StartXmlMsgDump
  hx::MessageObserver* m_dumpObserver = nullptr;  // told of the write started last, until it is finished
};

// The C factory a plug-in exports.
extern "C" {
typedef CForeignHandlerBase* (*CreateForeignHandlerFn)(long long jobId);
typedef void (*DestroyForeignHandlerFn)(CForeignHandlerBase* handler);
}
