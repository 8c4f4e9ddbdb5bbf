// estate.xlsx: the estate rows as an Excel workbook, one sheet per subject,
// streamed row by row so that a million save sets cost bounded memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "EstateRows.h"

struct lxw_workbook;
struct lxw_format;

namespace nwk {

// Text as a cell may hold it: valid UTF-8 (U+FFFD for each bad byte and for
// control characters other than tab and line feed), cut at a character
// boundary to the 32,767 bytes a cell holds.
std::string CellText(const std::string& bytes);

class WorkbookSheet;

// Writes the sheets Clients, Resources, Schedule policies, Media, History and
// Needs attention (header row frozen, auto-filter, fitted column widths).
// Nothing appears at `path` until Close succeeds: the workbook is written
// under a temporary name in the same folder and renamed.
class WorkbookSink : public EstateSink {
 public:
  explicit WorkbookSink(const std::string& path);
  ~WorkbookSink() override;
  WorkbookSink(const WorkbookSink&) = delete;
  WorkbookSink& operator=(const WorkbookSink&) = delete;

  void Client(const ClientRow& row) override;
  void Resource(const ResourceRow& row) override;
  void SchedulePolicy(const SchedulePolicyRow& row) override;
  void Medium(const MediumRow& row) override;
  void Day(const DayRow& row) override;
  void Attention(const AttentionRow& row) override;

  // False with `error` naming the file when it could not be written.
  [[nodiscard]] bool Close(std::string* error);

 private:
  WorkbookSheet& DateCell(WorkbookSheet& sheet, const std::string& day);
  std::string m_path, m_temp, m_error;
  lxw_workbook* m_book = nullptr;
  lxw_format* m_date = nullptr;
  lxw_format* m_number = nullptr;
  std::vector<std::unique_ptr<WorkbookSheet>> m_sheets;
};

}  // namespace nwk
