// The file side of the estate rows: the last run's message files, in the
// order they were numbered, each streamed into the rows of its kind.
#include "EstateReader.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "EstateAssembler.h"
#include "EstateExtract.h"
#include "ReportStream.h"
#include "hx/Files.h"
#include "hx/Interrupt.h"
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

// What a job list file gave when read ahead of its turn.
struct JobFile {
  std::vector<JobRow> jobs;
  std::string problem;
  std::exception_ptr fault;  // what reading it threw, thrown again in its turn
};

class JobCollector : public EstateSink {
 public:
  explicit JobCollector(std::vector<JobRow>* jobs) : m_jobs(jobs) {}
  void Job(const JobRow& row) override { m_jobs->push_back(row); }

 private:
  std::vector<JobRow>* m_jobs;
};

JobFile ReadJobFile(const MessageFile& file) {
  JobFile read;
  try {
    JobCollector collector(&read.jobs);
    StreamMessageFile(file.path, *file.kind, collector, &read.problem);
  } catch (...) {
    read.fault = std::current_exception();
  }
  return read;
}

std::uint64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// Job lists are most of the bytes, and one may be many times the size of the
// next. This thread and one other each take the next list nobody has taken;
// a list taken in its turn is streamed straight to the rows, one taken ahead
// is read into rows that wait for their turn, so rows come out in file order
// whoever read them. Waiting rows take memory, so lists are taken ahead only
// while the XML of those waiting stays within `aheadBytes` (one list at
// least). The list whose turn it is does not wait: while the other thread
// reads it, this one reads on ahead.
class JobListReaders {
 public:
  JobListReaders(const std::vector<MessageFile>& files, std::uint64_t aheadBytes)
      : m_files(files), m_aheadLimit(aheadBytes), m_bytes(files.size()), m_read(files.size()) {
    for (std::size_t n = 0; n < files.size(); ++n)
      if (IsJobList(files[n])) m_lists.push_back(n), m_bytes[n] = FileSize(files[n].path);
    if (m_lists.size() > 1) StartOther();
  }
  ~JobListReaders() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    if (m_other.joinable()) m_other.join();
  }
  JobListReaders(const JobListReaders&) = delete;
  JobListReaders& operator=(const JobListReaders&) = delete;

  // Job list `file`'s rows to `rows` in their turn; what went wrong to `problem`.
  void Hand(std::size_t file, EstateSink& rows, std::string* problem) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_next < m_lists.size() && m_lists[m_next] == file) {
      ++m_next;
      lock.unlock();
      m_changed.notify_all();
      StreamMessageFile(m_files[file].path, *m_files[file].kind, rows, problem);
      return;
    }
    m_turnBytes = m_read[file] ? 0 : m_bytes[file];
    while (!m_read[file]) {
      if (MayTakeAhead()) ReadAhead(lock);
      else m_changed.wait(lock);
    }
    std::unique_ptr<JobFile> read = std::move(m_read[file]);
    m_ahead -= m_bytes[file];
    m_turnBytes = 0;
    lock.unlock();
    m_changed.notify_all();
    if (read->fault) std::rethrow_exception(read->fault);
    for (const JobRow& job : read->jobs) rows.Job(job);
    *problem = std::move(read->problem);
  }

 private:
  // Without the other thread, this one reads every list in its turn.
  void StartOther() {
    try {
      m_other = hx::StartThreadWithSignalsBlocked([this] { Other(); });
    } catch (const std::system_error&) {
    }
  }

  void Other() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
      if (MayTakeAhead()) ReadAhead(lock);
      else m_changed.wait(lock);
    }
  }

  bool MayTakeAhead() const {
    std::uint64_t waiting = m_ahead - m_turnBytes;
    return m_next < m_lists.size() && (waiting == 0 || waiting + m_bytes[m_lists[m_next]] <= m_aheadLimit);
  }

  // Takes the next list and reads it with the lock released.
  void ReadAhead(std::unique_lock<std::mutex>& lock) {
    const std::size_t file = m_lists[m_next++];
    m_ahead += m_bytes[file];
    lock.unlock();
    auto read = std::make_unique<JobFile>(ReadJobFile(m_files[file]));
    lock.lock();
    m_read[file] = std::move(read);
    m_changed.notify_all();
  }

  const std::vector<MessageFile>& m_files;
  const std::uint64_t m_aheadLimit;
  std::vector<std::size_t> m_lists;    // the job lists' indexes in m_files, taken in that order
  std::vector<std::uint64_t> m_bytes;  // by file: a job list's bytes of XML
  std::vector<std::unique_ptr<JobFile>> m_read;  // by file: rows read ahead, waiting for their turn
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_next = 0;      // in m_lists: the first list nobody has taken
  std::uint64_t m_ahead = 0;   // bytes of the lists taken ahead and not yet handed on
  std::uint64_t m_turnBytes = 0;  // of those, the list whose turn it is, while it is being read
  bool m_stop = false;
  std::thread m_other;
};

void ReadFiles(const std::vector<MessageFile>& files, EstateSink& rows, std::uint64_t aheadBytes) {
  JobListReaders jobLists(files, aheadBytes);
  for (std::size_t n = 0; n < files.size(); ++n) {
    std::string problem;
    if (IsJobList(files[n])) jobLists.Hand(n, rows, &problem);
    else StreamMessageFile(files[n].path, *files[n].kind, rows, &problem);
    if (!problem.empty()) rows.Problem(problem);
  }
}

}  // namespace

bool ReadEstate(const std::string& resultsDir, EstateSink& sink, std::string* error, std::uint64_t aheadBytes) {
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
  ReadFiles(files, rows, aheadBytes);
  rows.Finish(resultsDir, std::move(log), logRead);
  return true;
}

}  // namespace nwk
