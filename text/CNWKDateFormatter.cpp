// CNWKDateFormatter: walks the format and the date together.
#include "text/CNWKDateFormatter.h"

#include <cstring>

#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

const char* kFunc = "CNWKDateFormatter::GetTMStruct";

// 'y', 'm' or 'd' for a field letter of the format, 0 for a delimiter.
char FieldOf(char c) {
  switch (c) {
    case 'Y': case 'y': return 'y';
    case 'M': case 'm': return 'm';
    case 'D': case 'd': return 'd';
    default: return 0;
  }
}

struct DateFields {
  long long year = 0, month = 0, day = 0;
  int read = 0;  // how many fields held a number
  void Set(char field, long long value) {
    if (field == 'y') year = value;
    if (field == 'm') month = value;
    if (field == 'd') day = value;
    ++read;
  }
};

int CurrentYear() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

}  // namespace

bool CNWKDateFormatter::GetTMStruct(const std::string& date, const std::string& time, bool isDst, tm* out,
                                    unsigned long* outTime) {
  if (!outTime || !out) return false;
  std::memset(out, 0, sizeof *out);
  EvEvent log;
  log.DebugLvl(kFunc, 7, "input parameters - date[%s], time [%s]", date.c_str(), time.c_str());
  DateFields fields;
  char field = 0;
  size_t pos = 0;
  // The format's terminating zero is the last delimiter: it matches the end of the date.
  for (size_t i = 0; i <= m_format.size() && pos < date.size(); ++i) {
    char c = i < m_format.size() ? m_format[i] : '\0';
    if (FieldOf(c)) {
      field = FieldOf(c);
      continue;
    }
    if (!field) continue;
    size_t end = c == '\0' ? date.size() : date.find(c, pos);
    if (end == std::string::npos) {
      log.Error(kFunc, "date [%s], format [%s], delimiter expected [%c] - not found", date.c_str(),
                m_format.c_str(), c);
      return false;
    }
    long long value = 0;
    if (hx::ParseLeadingInteger(std::string_view(date).substr(pos, end - pos), &value)) fields.Set(field, value);
    pos = c == '\0' ? date.size() : end + 1;
    field = 0;
  }
  if (fields.read < 3) {  // a date cut short ("17/02/") is no date of year 2000
    log.Error(kFunc, "date [%s], format [%s] - incomplete", date.c_str(), m_format.c_str());
    return false;
  }
  if (fields.month < 1 || fields.month > 12 || fields.day < 1 || fields.day > 31) {
    log.Error(kFunc, "date [%s], format [%s] - month or day out of range", date.c_str(), m_format.c_str());
    return false;
  }
  if (fields.year <= 99) fields.year += (CurrentYear() / 100) * 100;
  if (fields.year < 1900 || fields.year > 9999) {
    log.Error(kFunc, "date [%s], format [%s] - year out of range", date.c_str(), m_format.c_str());
    return false;
  }
  out->tm_year = static_cast<int>(fields.year - 1900);
  out->tm_mon = static_cast<int>(fields.month - 1);
  out->tm_mday = static_cast<int>(fields.day);
  out->tm_isdst = isDst ? 1 : 0;
  time_t stamp = mktime(out);
  if (stamp == static_cast<time_t>(-1)) return false;
  *outTime = static_cast<unsigned long>(stamp);
  return true;
}
