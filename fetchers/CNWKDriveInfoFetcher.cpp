// Device report. Names are quoted when they hold ':' (remote "rd=" devices)
// or backslashes, which are then doubled; a long name moves to the next line,
// at column 0, after a lone "\". Family and type values keep their quotes.
//
//                         name: "\\\\.\\Tape0";
//                   media type: LTO Ultrium-5;
//                 media family: tape;
//               parent jukebox: i500@3.0.0;
//                  volume name: A00009L5;
//                         name: \                (value on the next line)
// "rd=snode01:/dev/rmt/2cbn";
#include "fetchers/CNWKDriveInfoFetcher.h"

#include "handler/CForeignHandlerNWK.h"
#include "handler/ReportReader.h"
#include "handler/TextUtils.h"
#include "hx/Log.h"

namespace {

const char* kFunc = "CNWKDriveInfoFetcher::_ParseData";

std::string Value(const std::string& line) { return CForeignHandlerNWK::GetAttributeValue(line, ':'); }
std::string Unquoted(const std::string& line) { return Trim(Value(line), "\""); }

// A report that ends right after the lone "\" leaves the device unnamed.
std::string DeviceName(ReportReader& reader, const std::string& line) {
  std::string name = Unquoted(line);
  if (name != "\\") return name;
  std::string next;
  return reader.Next(&next) ? Trim(next, "\"; ") : std::string();
}

void ReadAttribute(const std::string& line, NWKDrive& drive) {
  if (HasPrefix(line, "media family:")) {
    drive.set_driveFamily(Value(line));
  } else if (HasPrefix(line, "media type:")) {
    drive.set_driveType(Value(line));
  } else if (HasPrefix(line, "volume name:")) {
    drive.set_volName(Value(line));
  } else if (HasPrefix(line, "parent jukebox:")) {
    drive.set_libName(Unquoted(line));
    EvEvent().DebugLvl(kFunc, 4, "Device [%s] belongs to library [%s]", drive.get_driveName().c_str(),
                       drive.get_libName().c_str());
  }
}

}  // namespace

void CNWKDriveInfoFetcher::ParseDriveReport(std::string_view text, std::vector<NWKDrive>* drives) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  NWKDrive* current = nullptr;  // attributes before the first name are ignored
  std::string line;
  while (reader.Next(&line)) {
    if (HasPrefix(line, "name:")) {
      current = &drives->emplace_back();
      current->set_driveName(DeviceName(reader, line));
    } else if (current) {
      ReadAttribute(line, *current);
    }
  }
}

bool CNWKDriveInfoFetcher::_ParseData(void* context, const std::string& path) {
  EvEvent().DebugLvl(kFunc, 0, get_JobId(), "Started parsing NetWorker drive information");
  ParseDriveReport(ReadReport(path), static_cast<std::vector<NWKDrive>*>(context));
  return true;
}
