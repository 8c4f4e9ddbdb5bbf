// The file side of the estate rows: the last run's message files, in the
// order they were numbered, each streamed into the rows of its kind.
#include "EstateReader.h"

#include <dirent.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <system_error>
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

struct MessageFile {
  std::string path;
  const MessageRows* kind;
};

bool IsJobList(const MessageFile& file) { return std::strcmp(file.kind->className, "FDC::JobList") == 0; }

// What a job list file gave when read on a thread of its own.
struct JobFile {
  std::vector<JobRow> jobs;
  std::string problem;
};

class JobCollector : public EstateSink {
 public:
  explicit JobCollector(std::vector<JobRow>* jobs) : m_jobs(jobs) {}
  void Job(const JobRow& row) override { m_jobs->push_back(row); }

 private:
  std::vector<JobRow>* m_jobs;
};

JobFile ReadJobFile(MessageFile file) {
  JobFile read;
  JobCollector collector(&read.jobs);
  StreamMessageFile(file.path, *file.kind, collector, &read.problem);
  return read;
}

// The thread starts with every signal blocked, so that signals reach the
// thread that handles them; without a thread, the file is read when asked for.
std::future<JobFile> ReadJobFileAside(const MessageFile& file) {
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  std::future<JobFile> read;
  try {
    read = std::async(std::launch::async, ReadJobFile, file);
  } catch (const std::system_error&) {
    read = std::async(std::launch::deferred, ReadJobFile, file);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return read;
}

// Job lists are most of the bytes, and each is read on its own: while this
// thread reads one, the next is read on a second thread, and its rows follow
// in their turn, so the rows come out in file order.
void ReadFiles(const std::vector<MessageFile>& files, EstateSink& rows) {
  std::future<JobFile> aside;
  std::size_t asideAt = files.size();
  for (std::size_t n = 0; n < files.size(); ++n) {
    std::string problem;
    if (n == asideAt) {
      JobFile read = aside.get();
      for (const JobRow& job : read.jobs) rows.Job(job);
      problem = std::move(read.problem);
    } else {
      for (std::size_t next = n + 1; IsJobList(files[n]) && next < files.size(); ++next)
        if (IsJobList(files[next])) {
          aside = ReadJobFileAside(files[next]);
          asideAt = next;
          break;
        }
      StreamMessageFile(files[n].path, *files[n].kind, rows, &problem);
    }
    if (!problem.empty()) rows.Problem(problem);
  }
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
  std::vector<MessageFile> files;
  for (const std::string& name : names)
    if (const MessageRows* kind = OfLastRun(name, log) ? KindOfFile(name) : nullptr)
      files.push_back({hx::JoinPath(xmlDir, name), kind});
  EstateAssembler rows(sink);
  ReadFiles(files, rows);
  rows.Finish(resultsDir, std::move(log), logRead);
  return true;
}

}  // namespace nwk
