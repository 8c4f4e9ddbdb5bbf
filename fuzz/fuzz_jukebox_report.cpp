// Fuzzes the jukebox report parser: never more jukeboxes than "name:" lines,
// names without their quotes, barcodes without commas or blanks at their
// ends, the same jukeboxes on a second reading, and one medium built per
// barcode that is neither empty nor "".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fetchers/CNWKLibraryInfoFetcher.h"
#include "FuzzSupport.h"
#include "fields/MediaFields.h"
#include "hx/MessageClasses.h"

namespace {

bool IsBarcode(const std::string& code) {
  if (code.find_first_of(",\n") != std::string::npos) return false;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return code.empty() || (!blank(code.front()) && !blank(code.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<NWKLibrary> libraries;
  CNWKLibraryInfoFetcher::ParseLibraryReport(text, &libraries);

  size_t nameLines = 0;
  fuzzsupport::ForEachLine(text, [&](const std::string& line) { nameLines += HasPrefix(line, "name:") ? 1 : 0; });
  if (libraries.size() > nameLines) __builtin_trap();
  std::vector<NWKLibrary> again;
  CNWKLibraryInfoFetcher::ParseLibraryReport(text, &again);
  if (again.size() != libraries.size()) __builtin_trap();

  FDC::ForeignLibraryList list;
  FDC::ForeignMediaList media;
  size_t expectedMedia = 0;
  for (size_t i = 0; i < libraries.size(); ++i) {
    NWKLibrary& library = libraries[i];
    std::string name = library.get_libName();
    if (!name.empty() && (name.front() == '"' || name.back() == '"')) __builtin_trap();
    if (name != again[i].get_libName() || library.get_stlcodes() != again[i].get_stlcodes()) __builtin_trap();
    library.BuildLibrary(list);
    for (const std::string& code : library.get_stlcodes()) {
      if (!IsBarcode(code)) __builtin_trap();
      if (!code.empty() && code != "\"\"") ++expectedMedia;
      library.BuildMedia(media, code, {}, 0);
    }
  }
  using mediafields::kItems;
  std::vector<CNMessageBase>* built = media.getlistobject(kItems.i, kItems.t, 0, 0, false);
  if ((built ? built->size() : 0) != expectedMedia) __builtin_trap();
  return 0;
}
