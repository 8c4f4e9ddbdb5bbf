// The file side of the estate rows: which message file goes to which
// extraction, big files streamed one element at a time, jobs totalled per day.
#include "EstateReader.h"

#include <dirent.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <vector>

#include "EstateExtract.h"
#include "ReportServerRelease.h"
#include "ReportStream.h"
#include "fields/ClientFields.h"
#include "fields/MediaFields.h"
#include "fields/PolicyFields.h"
#include "fields/RunRecords.h"
#include "hx/Files.h"
#include "hx/Message.h"
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
  std::sort(names->begin(), names->end());
  return true;
}

constexpr const char* kScheduleSuffix = "_TMMsg_CreateTaskReq.xml";

// Sums stay defined whatever sizes a damaged file holds.
void Add(long long* sum, long long value) {
  if (__builtin_add_overflow(*sum, value, sum)) *sum = value > 0 ? LLONG_MAX : LLONG_MIN;
}

class DirectoryReader {
 public:
  explicit DirectoryReader(EstateSink& sink) : m_sink(sink) {}

  void ReadSchedule(const std::string& path) {
    CNMessageBase msg(0, 0);
    if (ReadWhole(path, &msg)) ExtractSchedulePolicy(msg, m_index, m_sink);
  }

  // Every list is read one element at a time: a file of 200,000 media is never one tree.
  void ReadOther(const std::string& path, const std::string& name) {
    using Extract = void (*)(const CNMessageBase&, EstateSink&);
    static const struct {
      const char* suffix;
      std::vector<int> fields;
      Extract extract;
    } kLists[] = {
        {"_FDC_ForeignLibraries.xml", {mediafields::kLibraryList.i, mediafields::kItems.i}, ExtractLibrary},
        {"_FDC_ForeignMedias.xml", {mediafields::kMediaList.i, mediafields::kItems.i}, ExtractMedium},
        {"_FDC_StoragePolicyList.xml", {policyfields::kPolicies.i}, ExtractPool},
    };
    if (EndsWith(name, "_FDC_JobList.xml")) return ReadJobs(path);
    if (EndsWith(name, "_App_ClientsList.xml"))
      return ReadList(path, {clientfields::kClients.i},
                      [this](const CNMessageBase& client) { ExtractClient(client, m_index, m_sink); });
    for (const auto& list : kLists)
      if (EndsWith(name, list.suffix))
        ReadList(path, list.fields, [this, &list](const CNMessageBase& item) { list.extract(item, m_sink); });
  }

  // The log is read first (it tells which messages are the last run's); its
  // rows go out last, after those of the messages, by EndLog.
  void ReadLog(const std::string& path) {
    m_logRead = ReadRunLog(path, &m_log);
    m_logPath = path;
  }

  // The operations' records, before the messages: their facts and each
  // resource's schedule now, their attention rows by EndLog.
  void ReadRecords(const std::string& path) {
    ReadRunFacts(path, &m_log.run, &m_index);
    m_recordsPath = path;
  }

  const RunLog& log() const { return m_log; }

  void ReadServerRelease(const std::string& resultsDir) {
    ServerRelease release;
    if (!nwk::ReadServerRelease(resultsDir, &release)) return;
    m_log.run.serverVersion = release.version;
    m_log.run.modelNotice = ModelNotice(release);
  }

  void EndLog() {
    if (!m_logRead) m_sink.Problem("cannot read the log '" + m_logPath + "'");
    m_sink.Run(m_log.run);
    ReadRunAttention(m_recordsPath, m_sink);
  }

  void EndDays() {
    for (const auto& [day, total] : m_days) m_sink.Day(total);
  }

 private:
  bool ReadWhole(const std::string& path, CNMessageBase* msg) {
    std::string error;
    if (hx::ReadMessageXmlFile(path, msg, &error)) return true;
    m_sink.Problem(error);
    return false;
  }

  void ReadList(const std::string& path, const std::vector<int>& fields,
                const std::function<void(const CNMessageBase&)>& onItem) {
    std::string error;
    if (!StreamListItems(path, fields, onItem, &error)) m_sink.Problem(error);
  }

  void ReadJobs(const std::string& path) {
    std::string error;
    bool ok = StreamJobList(path, [this](const JobRow& job) {
      std::string day = UtcDay(job.startTime);
      DayRow& total = m_days[day];
      total.day = day;
      ++total.jobs;
      Add(&total.bytes, job.bytes);
      m_sink.Job(job);
    }, &error);
    if (!ok) m_sink.Problem(error);
  }

  EstateSink& m_sink;
  ScheduleIndex m_index;
  RunLog m_log;
  bool m_logRead = false;
  std::string m_logPath;
  std::string m_recordsPath;
  std::map<std::string, DayRow> m_days;
};

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
  if (!ListXmlFiles(xmlDir, &names) && !hx::FileExists(hx::JoinPath(resultsDir, "nwk-discover.log"))) {
    *error = "results directory '" + resultsDir + "' holds neither xml/ nor nwk-discover.log";
    return false;
  }
  DirectoryReader reader(sink);
  reader.ReadLog(hx::JoinPath(resultsDir, "nwk-discover.log"));
  reader.ReadRecords(hx::JoinPath(resultsDir, records::kFileName));
  reader.ReadServerRelease(resultsDir);
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&reader](const std::string& name) { return !OfLastRun(name, reader.log()); }),
              names.end());
  for (const std::string& name : names)
    if (EndsWith(name, kScheduleSuffix)) reader.ReadSchedule(hx::JoinPath(xmlDir, name));
  for (const std::string& name : names)
    if (!EndsWith(name, kScheduleSuffix)) reader.ReadOther(hx::JoinPath(xmlDir, name), name);
  reader.EndLog();
  reader.EndDays();
  sink.End();
  return true;
}

}  // namespace nwk
