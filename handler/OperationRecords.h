// Where the operations note what they drop, skip or learn: each note is one
// structured record appended to <results>/records.tsv (see
// fields/RunRecords.h), which the runner's assessment report reads. It is
// also the reporter the operations give the report readers: a line passed
// over is logged, as it always was, and recorded.
#pragma once

#include <string>
#include <vector>

#include "hx/Files.h"
#include "text/ReportReader.h"

class OperationRecords : public LineReporter {
 public:
  // Appends one record to the records file of the current results
  // directory. A failure to write is logged once and otherwise ignored: the
  // records describe the run, they are not its result.
  void Add(const std::vector<std::string>& fields);

  // While `held` is not null, records are kept there (encoded, one a line)
  // instead of written: work that may yet be discarded (a job list not yet
  // written) holds its records, which Commit writes once the work stands
  // and which are otherwise dropped with it. `held` must outlive the hold.
  void HoldIn(std::string* held) { m_held = held; }
  void Commit(const std::string& held);

  void PassedOver(const std::string& report, size_t line, const std::string& reason) override;

 private:
  CLmFile m_file;
  std::string m_path;
  bool m_failureLogged = false;
  std::string* m_held = nullptr;
};
