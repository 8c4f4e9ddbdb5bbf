// Directive report: the body follows the "directive:" line over several lines,
// the last ending in ';'. The "directive:" line itself is not examined.
//
//                         name: Encrypt and compress;
//                    directive: "<< / >>
//                                +compressasm: .
//                                +aes: .";
#include "fetchers/CNWKDirectiveInfoFetcher.h"

#include "handler/ReportReader.h"
#include "handler/TextUtils.h"

namespace {

// Walks the body lines after a "directive:" line up to the one ending in ';'.
// A line naming both keywords counts as compression only.
void ReadDirectiveBody(ReportReader& reader, const std::string& first, NWKDirectiveInfo* directive) {
  std::string line = first;
  while (line.empty() || line.back() != ';') {
    if (!reader.Next(&line)) return;
    if (!directive) continue;
    if (line.find("+compressasm") != std::string::npos) directive->set_compression(true);
    else if (line.find("+aes") != std::string::npos) directive->set_encryption(true);
  }
}

}  // namespace

void CNWKDirectiveInfoFetcher::ParseDirectiveReport(std::string_view text, NWKDirectiveMap* directives) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  NWKDirectiveInfo* current = nullptr;  // a body before the first name sets nothing
  std::string line;
  while (reader.Next(&line)) {
    if (HasPrefix(line, "name:")) {
      current = &directives->emplace(CForeignHandlerNWK::GetAttributeValue(line, ':'), NWKDirectiveInfo())
                     .first->second;
    } else if (HasPrefix(line, "directive:")) {
      ReadDirectiveBody(reader, line, current);
    }
  }
}

bool CNWKDirectiveInfoFetcher::_ParseData(void* context, const std::string& path) {
  ParseDirectiveReport(ReadReport(path), static_cast<NWKDirectiveMap*>(context));
  return true;
}
