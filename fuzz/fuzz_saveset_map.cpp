// Fuzzes the save set name map on arbitrary file content: a key keeps its name
// within a run, and once the map is saved and loaded again every name handed
// out before comes back for the same key.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "model/CSaveSetMapHandler.h"
#include "FuzzSupport.h"

namespace {

const fuzzsupport::ScratchDir& Maps() {
  static const fuzzsupport::ScratchDir dir("ssmap");
  return dir;
}

// A broken invariant: take the maps away with us, then stop where libFuzzer sees it.
[[noreturn]] void Fail() {
  Maps().Remove();
  __builtin_trap();
}

// Client names whose file names need encoding, picked by the first byte.
const char* const kClients[] = {"lnxdb01.lab.local", "", ".hidden", "a/b\\c%d"};

void WriteFile(const std::string& path, std::string_view content) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (std::fwrite(content.data(), 1, content.size(), file) != content.size()) std::abort();
  std::fclose(file);
}

// Keys to ask for: what comes before the last comma of the first lines of the
// input (so some are in the map already), and a few new ones. Keys are built
// from one line as the client parser builds them, so they never hold a line
// feed nor begin or end with a blank.
std::vector<std::string> KeysFor(std::string_view text) {
  std::vector<std::string> keys = {"Default_All", "DEFAULT_all", "Oracle_Prod_/u01, /u02"};
  for (size_t pos = 0; pos < text.size() && keys.size() < 16;) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    size_t comma = line.rfind(',');
    keys.push_back(Trim(std::string(line.substr(0, comma)), " "));
    pos = end + 1;
  }
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 16)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CSaveSetMapHandler map;
  map.set_jobResultsDir(Maps().path());
  map.set_clientName(kClients[size > 0 ? data[0] % 4 : 0]);
  WriteFile(map.MapFilePath(), text);

  map.LoadSaveSetMap();
  std::vector<std::pair<std::string, std::string>> handedOut;
  for (const std::string& key : KeysFor(text)) {
    std::string name = map.get_AppName(key);
    if (name.empty() || map.get_AppName(key) != name) Fail();  // stable within the run
    handedOut.emplace_back(key, name);
  }
  map.SaveMap();

  map.LoadSaveSetMap();
  for (const auto& [key, name] : handedOut) {
    if (map.get_AppName(key) != name) Fail();  // stable across runs
  }
  Maps().Empty();
  return 0;
}
