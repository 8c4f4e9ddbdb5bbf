// OperationRecords: appending records beside the log.
#include "handler/OperationRecords.h"

#include "fields/RunRecords.h"
#include "hx/Files.h"
#include "hx/JobContext.h"
#include "hx/Log.h"

void OperationRecords::Add(const std::vector<std::string>& fields) {
  if (m_held)
    *m_held += records::Encode(fields);
  else
    Commit(records::Encode(fields));
}

// The file stays open between records: a damaged report may make hundreds of
// thousands of them. A new results directory opens its own file.
void OperationRecords::Commit(const std::string& held) {
  if (held.empty()) return;
  std::string path = hx::JoinPath(hx::JobContext::Current().resultsDir, records::kFileName);
  CLmError rc = CLmError::Ok();
  if (path != m_path || !m_file.IsOpen()) {
    m_file.Close();
    m_path = path;
    rc = m_file.Open(path, CLmFile::kAppend);
  }
  size_t done = 0;
  if (!rc.IsError()) rc = m_file.Write(held.data(), held.size(), &done);
  if (!rc.IsError() || m_failureLogged) return;
  m_failureLogged = true;
  EvEvent().Error("OperationRecords::Commit", "Cannot write [%s]: %s", path.c_str(), rc.AsString().c_str());
}

void OperationRecords::PassedOver(const std::string& report, size_t line, const std::string& reason) {
  LogLineReporter()->PassedOver(report, line, reason);
  Add({records::kPassedOverLine, report, std::to_string(line), reason});
}
