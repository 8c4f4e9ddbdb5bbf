// OperationRecords: appending records beside the log.
#include "handler/OperationRecords.h"

#include "fields/RunRecords.h"
#include "hx/Files.h"
#include "hx/JobContext.h"
#include "hx/Log.h"

void OperationRecords::Add(const std::vector<std::string>& fields) {
  std::string path = hx::JoinPath(hx::JobContext::Current().resultsDir, records::kFileName);
  std::string line = records::Encode(fields);
  CLmFile file;
  CLmError rc = file.Open(path, CLmFile::kAppend);
  size_t done = 0;
  if (!rc.IsError()) rc = file.Write(line.data(), line.size(), &done);
  if (!rc.IsError() || m_failureLogged) return;
  m_failureLogged = true;
  EvEvent().Error("OperationRecords::Add", "Cannot write [%s]: %s", path.c_str(), rc.AsString().c_str());
}

void OperationRecords::PassedOver(const std::string& report, size_t line, const std::string& reason) {
  LogLineReporter()->PassedOver(report, line, reason);
  Add({records::kPassedOverLine, report, std::to_string(line), reason});
}
