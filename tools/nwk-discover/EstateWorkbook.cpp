// The workbook sink: libxlsxwriter in constant-memory mode writes each row to
// its sheet's temporary file as soon as the next row starts, so rows go out in
// order per sheet and only the column widths are kept.
#include "EstateWorkbook.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <xlsxwriter.h>

#include "EstateAssembler.h"
#include "ReportText.h"
#include "hx/Files.h"

namespace nwk {
namespace {

constexpr std::size_t kCellBytes = 32767;
constexpr double kMaxWidth = 60;

// Characters shown, for the column width: UTF-8 lead bytes.
double DisplayWidth(const std::string& text) {
  double n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

}  // namespace

std::string CellText(const std::string& bytes) {
  std::string out = PlainText(bytes, true);
  if (out.size() <= kCellBytes) return out;
  std::size_t cut = kCellBytes;
  while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
  return out.substr(0, cut);
}

// One sheet: a header row, then rows written left to right; each column's
// width grows with the widest text written to it.
class WorkbookSheet {
 public:
  WorkbookSheet(lxw_workbook* book, const char* name, std::vector<const char*> headers, lxw_format* headerFormat)
      : m_sheet(workbook_add_worksheet(book, name)), m_columns(static_cast<lxw_col_t>(headers.size())) {
    for (const char* header : headers) {
      m_widths.push_back(DisplayWidth(header) + 2);
      worksheet_write_string(m_sheet, 0, m_column++, header, headerFormat);
    }
    worksheet_freeze_panes(m_sheet, 1, 0);
  }

  WorkbookSheet& Row() {
    ++m_row;
    m_column = 0;
    return *this;
  }
  WorkbookSheet& Text(const std::string& text) {
    std::string cell = CellText(text);
    Fit(DisplayWidth(cell));
    worksheet_write_string(m_sheet, m_row, m_column++, cell.c_str(), nullptr);
    return *this;
  }
  WorkbookSheet& Number(long long value, lxw_format* format) {
    Fit(static_cast<double>(std::to_string(value).size() * 4 / 3 + 1));
    worksheet_write_number(m_sheet, m_row, m_column++, static_cast<double>(value), format);
    return *this;
  }
  WorkbookSheet& Date(lxw_datetime date, lxw_format* format) {
    Fit(10);
    worksheet_write_datetime(m_sheet, m_row, m_column++, &date, format);
    return *this;
  }
  WorkbookSheet& Blank() {
    ++m_column;
    return *this;
  }

  // Widths and the filter over every row written.
  void Finish() {
    for (lxw_col_t c = 0; c < m_columns; ++c) worksheet_set_column(m_sheet, c, c, std::min(m_widths[c] + 1, kMaxWidth), nullptr);
    worksheet_autofilter(m_sheet, 0, 0, m_row, static_cast<lxw_col_t>(m_columns - 1));
  }

 private:
  void Fit(double width) {
    if (m_column < m_columns) m_widths[m_column] = std::max(m_widths[m_column], width);
  }
  lxw_worksheet* m_sheet;
  lxw_col_t m_columns;
  lxw_row_t m_row = 0;
  lxw_col_t m_column = 0;
  std::vector<double> m_widths;
};

namespace {

enum SheetIndex { kClients, kResources, kSchedules, kMedia, kHistory, kAttention };

// A number of exactly `text`'s digits; false for anything else.
bool Digits(std::string_view text, int* value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value);
  return !text.empty() && text[0] != '-' && result.ec == std::errc() && result.ptr == end;
}

// A "YYYY-MM-DD" day as a date Excel can show: years 1900 to 9999.
bool ExcelDate(const std::string& day, lxw_datetime* date) {
  *date = lxw_datetime{};
  std::string_view text(day);
  return text.size() == 10 && text[4] == '-' && text[7] == '-' && Digits(text.substr(0, 4), &date->year) &&
         Digits(text.substr(5, 2), &date->month) && Digits(text.substr(8, 2), &date->day) && date->year >= 1900;
}

}  // namespace

WorkbookSink::WorkbookSink(const std::string& path) : m_path(path) {
  std::string folder = hx::FolderOf(path);
  int fd = hx::CreateTempFile(folder, &m_temp);
  if (fd < 0) {
    m_error = "cannot write '" + path + "': " + std::strerror(errno);
    m_temp.clear();
    return;
  }
  ::close(fd);
  // Sheets spill to temporary files beside the workbook, on the disk the user chose for the results.
  lxw_workbook_options options = {LXW_TRUE, folder.data(), LXW_FALSE};
  m_book = workbook_new_opt(m_temp.c_str(), &options);
  if (!m_book) {
    m_error = "cannot write '" + path + "': libxlsxwriter could not start the workbook";
    return;
  }
  lxw_format* header = workbook_add_format(m_book);
  format_set_bold(header);
  m_date = workbook_add_format(m_book);
  format_set_num_format(m_date, "yyyy-mm-dd");
  m_number = workbook_add_format(m_book);
  format_set_num_format(m_number, "#,##0");
  auto add = [&](const char* name, std::vector<const char*> headers) {
    m_sheets.push_back(std::make_unique<WorkbookSheet>(m_book, name, std::move(headers), header));
  };
  add("Clients", {"Client", "Operating system", "NetWorker version", "Storage node", "Agents"});
  add("Resources", {"Client", "Group", "Schedule", "Save sets", "Subclient", "Application type", "Compression", "Encryption"});
  add("Schedule policies", {"Policy", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
                            "Days of the month", "Subclients"});
  add("Media", {"Barcode or volume", "Library", "Retention date", "Jobs"});
  add("History", {"Day", "Jobs", "Bytes"});
  add("Needs attention", {"Kind", "Subject", "Reason"});
}

WorkbookSink::~WorkbookSink() {
  if (m_book) lxw_workbook_free(m_book);
  if (!m_temp.empty()) unlink(m_temp.c_str());
}

// A real date where Excel can show it; a day out of its range stays text, none stays blank.
WorkbookSheet& WorkbookSink::DateCell(WorkbookSheet& sheet, const std::string& day) {
  lxw_datetime date;
  if (day.empty()) return sheet.Blank();
  return ExcelDate(day, &date) ? sheet.Date(date, m_date) : sheet.Text(day);
}

void WorkbookSink::Client(const ClientRow& row) {
  if (!m_book) return;
  m_sheets[kClients]->Row().Text(row.name).Text(row.os).Text(Join(row.versions, ", ")).Text(row.storageNode ? "yes" : "")
      .Text(Join(row.agents, ", "));
}

void WorkbookSink::Resource(const ResourceRow& row) {
  if (!m_book) return;
  m_sheets[kResources]->Row().Text(row.client).Text(Join(row.groups, ", ")).Text(row.schedule).Text(Join(row.saveSets, ", "))
      .Text(row.subclient).Text(row.application).Text(row.hasProperties ? YesNo(row.compressed) : "")
      .Text(row.hasProperties ? YesNo(row.encrypted) : "");
}

void WorkbookSink::SchedulePolicy(const SchedulePolicyRow& row) {
  if (!m_book) return;
  ScheduleCells cells = ScheduleText(row, "\n");
  WorkbookSheet& sheet = m_sheets[kSchedules]->Row().Text(row.name);
  for (const std::string& day : cells.days) sheet.Text(day);
  sheet.Text(cells.monthly).Text(Join(row.subclients, ", "));
}

void WorkbookSink::Medium(const MediumRow& row) {
  if (!m_book) return;
  WorkbookSheet& sheet = m_sheets[kMedia]->Row().Text(row.volume).Text(row.library);
  DateCell(sheet, row.hasRetention ? UtcDay(row.retention) : "").Number(row.jobs, m_number);
}

void WorkbookSink::Day(const DayRow& row) {
  if (!m_book) return;
  DateCell(m_sheets[kHistory]->Row(), row.day).Number(row.jobs, m_number).Number(row.bytes, m_number);
}

void WorkbookSink::Attention(const AttentionRow& row) {
  if (!m_book) return;
  m_sheets[kAttention]->Row().Text(row.kind).Text(row.subject).Text(row.reason);
}

bool WorkbookSink::Close(std::string* error) {
  if (m_book) {
    for (auto& sheet : m_sheets) sheet->Finish();
    lxw_error status = workbook_close(m_book);
    m_book = nullptr;
    if (status != LXW_NO_ERROR) m_error = "cannot write '" + m_path + "': " + lxw_strerror(status);
  }
  if (m_error.empty() && rename(m_temp.c_str(), m_path.c_str()) != 0)
    m_error = "cannot write '" + m_path + "': " + std::strerror(errno);
  if (m_error.empty()) m_temp.clear();
  *error = m_error;
  return m_error.empty();
}

}  // namespace nwk
