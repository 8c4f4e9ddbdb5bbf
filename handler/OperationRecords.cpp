// OperationRecords: appending records beside the log.
#include "handler/OperationRecords.h"

#include "fields/RunRecords.h"
#include "hx/Files.h"
#include "hx/JobContext.h"
#include "hx/Log.h"

// The file stays open between records: a damaged report may make hundreds of
// thousands of them. A new results directory opens its own file.
void OperationRecords::Add(const std::vector<std::string>& fields) {
  std::string path = hx::JoinPath(hx::JobContext::Current().resultsDir, records::kFileName);
  CLmError rc = CLmError::Ok();
  if (path != m_path || !m_file.IsOpen()) {
    m_file.Close();
    m_path = path;
    rc = m_file.Open(path, CLmFile::kAppend);
  }
  std::string line = records::Encode(fields);
  size_t done = 0;
  if (!rc.IsError()) rc = m_file.Write(line.data(), line.size(), &done);
  if (!rc.IsError() || m_failureLogged) return;
  m_failureLogged = true;
  EvEvent().Error("OperationRecords::Add", "Cannot write [%s]: %s", path.c_str(), rc.AsString().c_str());
}

void OperationRecords::PassedOver(const std::string& report, size_t line, const std::string& reason) {
  LogLineReporter()->PassedOver(report, line, reason);
  Add({records::kPassedOverLine, report, std::to_string(line), reason});
}
