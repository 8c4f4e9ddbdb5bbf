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

std::string UtcDay(long long seconds) {
  constexpr long long kYear1 = -62135596800LL, kYear9999End = 253402300799LL;
  if (seconds < kYear1 || seconds > kYear9999End) return "out of range";
  // Days since 1970-01-01 to a civil date (proleptic Gregorian).
  long long z = (seconds >= 0 ? seconds : seconds - 86399) / 86400 + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  long long day = doy - (153 * mp + 2) / 5 + 1;
  long long month = mp < 10 ? mp + 3 : mp - 9;
  long long year = yoe + era * 400 + (month <= 2);
  auto pad = [](long long value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
  };
  return pad(year, 4) + "-" + pad(month, 2) + "-" + pad(day, 2);
}

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
