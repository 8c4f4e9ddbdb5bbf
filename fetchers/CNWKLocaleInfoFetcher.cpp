// Locale file: a registry key line, then a value line holding a value name,
// "REG_SZ" and the format, separated by blanks:
//
//   HKEY_CURRENT_USER\Control Panel\International
//       sShortDate    REG_SZ    dd.MM.yyyy
#include "fetchers/CNWKLocaleInfoFetcher.h"

#include "text/ReportReader.h"
#include "hx/Log.h"
#include "hx/Strings.h"

CNWKLocaleInfoFetcher::LocaleResult CNWKLocaleInfoFetcher::ParseLocaleReport(const ReportText& text,
                                                                             std::string* format,
                                                                             std::string* badLine) {
  *format = kDefaultFormat;
  ReportReader reader(text, "tarn_nwk_localeconfig.txt");
  std::string keyLine, valueLine;
  if (!reader.Next(&keyLine) || !reader.Next(&valueLine)) return LocaleResult::kTooShort;
  size_t at = valueLine.find("REG_SZ");
  std::string value = at == std::string::npos ? std::string() : valueLine.substr(at + 6);
  TrimInline(value, " \n\r\t");
  // "REG_SZ" with nothing after it gives no format either: an empty format
  // would make every later date unreadable.
  if (value.empty()) {
    if (badLine) *badLine = valueLine;
    return LocaleResult::kNoRegSz;
  }
  *format = value;
  return LocaleResult::kFound;
}

bool CNWKLocaleInfoFetcher::_ParseData(void* context, const std::string& path) {
  std::string badLine;
  const ReportText report = ReadReport(path);
  LocaleResult result = ParseLocaleReport(report, static_cast<std::string*>(context), &badLine);
  if (result == LocaleResult::kNoRegSz)
    EvEvent().DebugLvl("CNWKLocaleInfoFetcher::_ParseData", 3, "Unable to parse date format line [%s]",
                       badLine.c_str());
  return result == LocaleResult::kFound && report.readError().empty();
}
