// The file side of the estate rows: the last run's message files, in the
// order they were numbered, each streamed into the rows of its kind.
#include "EstateReader.h"

#include <dirent.h>

#include <algorithm>
#include <vector>

#include "EstateAssembler.h"
#include "EstateExtract.h"
#include "ReportStream.h"
#include "hx/Files.h"
#include "hx/XmlForm.h"

namespace nwk {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool ListXmlFiles(const std::string& dir, std::vector<std::string>* names) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (dirent* entry = readdir(d)) {
    std::string name = entry->d_name;
    if (EndsWith(name, ".xml") && name[0] != '.') names->push_back(name);
  }
  closedir(d);
  // In the order the messages were numbered: 100000_ comes after 99999_.
  auto number = [](const std::string& name) {
    unsigned long n = 0;
    return hx::DumpNumberOf(name, &n) ? n : 0;
  };
  std::sort(names->begin(), names->end(), [&number](const std::string& a, const std::string& b) {
    unsigned long x = number(a), y = number(b);
    return x != y ? x < y : a < b;
  });
  return true;
}

// The kind of message a file holds, by its name: "NNNNN_<Class_Name>.xml".
const MessageRows* KindOfFile(const std::string& name) {
  for (const MessageRows& kind : MessageKinds()) {
    std::string suffix = std::string("_") + kind.className + ".xml";
    suffix.replace(suffix.find("::"), 2, "_");
    if (EndsWith(name, suffix)) return &kind;
  }
  return nullptr;
}

}  // namespace

bool ReadEstate(const std::string& resultsDir, EstateSink& sink, std::string* error) {
  std::string xmlDir = hx::JoinPath(resultsDir, "xml");
  std::vector<std::string> names;
  if (!ListXmlFiles(xmlDir, &names) && !hx::FileExists(RunLogPath(resultsDir))) {
    *error = "results directory '" + resultsDir + "' holds neither xml/ nor nwk-discover.log";
    return false;
  }
  RunLog log;
  bool logRead = ReadRunLog(RunLogPath(resultsDir), &log);
  EstateAssembler rows(sink);
  for (const std::string& name : names) {
    const MessageRows* kind = OfLastRun(name, log) ? KindOfFile(name) : nullptr;
    std::string problem;
    if (kind && !StreamMessageFile(hx::JoinPath(xmlDir, name), *kind, rows, &problem)) rows.Problem(problem);
  }
  rows.Finish(resultsDir, std::move(log), logRead);
  return true;
}

}  // namespace nwk
