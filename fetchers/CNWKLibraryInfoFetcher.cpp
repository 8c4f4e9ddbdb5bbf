// Jukebox report. "model" has no colon in its key. The barcode list wraps
// after ", " with its next lines at column 30, or starts on the next line, at
// column 0, after a lone "\"; an empty quoted entry may end it. The serial
// number is read as present but never kept.
//
//                         name: "rd=snode01:SL150@1.0.0";
//                        model: Standard SCSI Jukebox;
//               number devices: 2;
//                number drives: 2;
//        jukebox serial number: 464970G+1318SY1042;
//                 STL barcodes: \                (list from the next line)
// B00001L5, B00002L5, B00003L5,
// B00008L5, "";
#include "fetchers/CNWKLibraryInfoFetcher.h"

#include "handler/CForeignHandlerNWK.h"
#include "handler/ReportReader.h"
#include "handler/TextUtils.h"
#include "hx/Log.h"

namespace {

const char* kFunc = "CNWKLibraryInfoFetcher::_ParseData";

bool EndsWith(const std::string& s, char c) { return !s.empty() && s.back() == c; }

std::string Value(const std::string& line) { return CForeignHandlerNWK::GetAttributeValue(line, ':'); }

void ReadAttribute(ReportReader& reader, const std::string& line, NWKLibrary& library) {
  if (HasPrefix(line, "model")) {
    library.set_libType(Value(line));
  } else if (HasPrefix(line, "number devices:")) {
    library.set_noDevices(Value(line));
  } else if (HasPrefix(line, "number drives:")) {
    library.set_noDrives(Value(line));
  } else if (HasPrefix(line, "jukebox serial number:")) {
    library.set_libSerial("");
  } else if (HasPrefix(line, "STL barcodes:")) {
    hx::SplitLine(CNWKLibraryInfoFetcher::ReadListValue(reader, line), library.get_stlcodes(), ',');
  }
}

}  // namespace

// A line already ended by ';' is complete even when its value ends with ','.
std::string CNWKLibraryInfoFetcher::ReadListValue(ReportReader& reader, const std::string& line) {
  std::string value = Value(line);
  bool onNextLine = value == "\\";
  if (onNextLine) value.clear();
  if (!EndsWith(line, ';') && (onNextLine || EndsWith(value, ','))) ReadContinuedValue(reader, &value, Continuation{});
  return value;
}

void CNWKLibraryInfoFetcher::ParseLibraryReport(std::string_view text, std::vector<NWKLibrary>* libraries) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  NWKLibrary* current = nullptr;  // attributes before the first name are ignored
  std::string line;
  while (reader.Next(&line)) {
    if (HasPrefix(line, "name:")) {
      current = &libraries->emplace_back();
      current->set_libName(Trim(Value(line), "\""));
      EvEvent().DebugLvl(kFunc, 4, "Added library: [%s]", current->get_libName().c_str());
    } else if (current) {
      ReadAttribute(reader, line, *current);
    }
  }
}

bool CNWKLibraryInfoFetcher::_ParseData(void* context, const std::string& path) {
  EvEvent().DebugLvl(kFunc, 0, get_JobId(), "Started parsing NetWorker library information");
  ParseLibraryReport(ReadReport(path), static_cast<std::vector<NWKLibrary>*>(context));
  return true;
}
