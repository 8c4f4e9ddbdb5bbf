// Turns a date written in the server's short date format (such as
// "MM/dd/YYYY" or "dd.MM.yy") into a time stamp.
#pragma once

#include <ctime>
#include <string>

class CNWKDateFormatter {
 public:
  explicit CNWKDateFormatter(const std::string& format) : m_format(format) {}

  // Fills `out` (midnight local time of the date) and `*outTime`. False when
  // `outTime` is null, a delimiter of the format is missing from the date, or
  // the month or day is out of range (which mktime would otherwise normalise
  // into a wrong date).
  bool GetTMStruct(const std::string& date, const std::string& time, bool isDst, tm* out,
                   unsigned long* outTime);

 private:
  std::string m_format;
};
