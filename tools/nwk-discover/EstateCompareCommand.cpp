// The `compare` command: reads each results directory into a snapshot,
// compares them and writes the changes.
#include "EstateCompareCommand.h"

#include <sys/stat.h>

#include <cstdio>

#include "EstateChangesOutput.h"
#include "EstateCompare.h"
#include "EstateReader.h"
#include "hx/Files.h"

namespace nwk {
namespace {

bool Snapshot(const std::string& dir, EstateSnapshot* snapshot, std::string* error) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = "results directory '" + dir + "' does not exist";
    return false;
  }
  SnapshotSink sink(snapshot);
  return ReadEstate(dir, sink, error);
}

}  // namespace

int CompareResults(const std::string& oldDir, const std::string& newDir) {
  EstateSnapshot before, after;
  std::string error;
  if (!Snapshot(oldDir, &before, &error) || !Snapshot(newDir, &after, &error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  EstateChanges changes = CompareSnapshots(before, after);
  std::fputs(ChangesText(changes).c_str(), stdout);
  std::string json = hx::JoinPath(newDir, "changes.json"), html = hx::JoinPath(newDir, "changes.html");
  if (!hx::ReplaceFile(json, ChangesJson(changes), &error) || !hx::ReplaceFile(html, ChangesHtml(changes), &error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  std::printf("%zu difference(s); written %s and %s\n", changes.Count(), json.c_str(), html.c_str());
  return changes.Count() == 0 ? 0 : 1;
}

}  // namespace nwk
