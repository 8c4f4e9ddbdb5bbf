// Media report: a header line, then one comma-separated row per volume in
// the columns of "mminfo -m -av". Only the volume and its expiry date are
// kept; the expiry may be "undef" (never written) or a date of two-digit year,
// and the percent column may say "full", none of which matters here.
//
//   state,volume,written,percent-used,expires,read,mounts,capacity,volid,next,type
//   ,A00001L5,6 GB,1%,17/02/2027,0 KB,16,1500 GB,3077077213,21,LTO Ultrium-5
//   ,B00008L5,0 KB,0%,undef,0 KB,35,1500 GB,3012849821,1,LTO Ultrium-5
#include "fetchers/CNWKMediaInfoFetcher.h"

#include <vector>

#include "text/ReportReader.h"
#include "hx/Strings.h"

namespace {

enum Column { kState, kVolume, kWritten, kPercent, kExpires };
constexpr size_t kColumns = 11;

}  // namespace

bool CNWKMediaInfoFetcher::ParseMediaReport(const ReportText& text, std::map<std::string, std::string>* expiry) {
  ReportReader reader(text, kFileName);
  std::string line;
  if (!reader.Next(&line)) return false;  // the header, whether it has columns or not
  std::vector<std::string> columns;
  while (reader.Next(&line)) {
    hx::SplitLine(line, columns, ',');
    if (columns.size() < kColumns) continue;
    expiry->emplace(columns[kVolume], columns[kExpires]);
  }
  return true;
}

bool CNWKMediaInfoFetcher::_ParseData(void* context, const std::string& path) {
  const ReportText report = ReadReport(path);
  bool parsed = ParseMediaReport(report, static_cast<std::map<std::string, std::string>*>(context));
  return parsed && report.readError().empty();
}
