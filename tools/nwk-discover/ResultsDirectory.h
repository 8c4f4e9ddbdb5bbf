// The results directory one run owns: checked, locked for the whole run,
// cleared of what an interrupted run left, and made durable once per step.
#pragma once

#include <string>

namespace nwk {

class ResultsDirectory {
 public:
  ResultsDirectory() = default;
  ~ResultsDirectory() { Unlock(); }
  ResultsDirectory(const ResultsDirectory&) = delete;
  ResultsDirectory& operator=(const ResultsDirectory&) = delete;

  // Creates `dir` with mode 0700 when `create` is set and it is missing, then
  // refuses it (false, with the reason) when it is not a folder, belongs to
  // another user, can be written by group or others, holds a symbolic link or
  // other non-folder as `0` or `xml`, or is locked by another run. On success
  // the directory is locked until Unlock() or the end of the process, and its
  // lock file `.lock` holds this process's id.
  bool Open(const std::string& dir, bool create, std::string* error);
  // Removes the temporary files an interrupted run left in the directory, `0/`
  // and `xml/`; answers how many.
  int RemoveLeftovers() const;
  // Makes every file written so far durable with one sync of the directory's
  // file system (map files and the report are not synced one by one).
  bool Sync(std::string* error) const;
  void Unlock();

 private:
  bool Check(std::string* error) const;
  bool Lock(std::string* error);

  std::string m_dir;
  int m_lockFd = -1;
};

// Refuses (false, with the reason) a dataset that is the results directory, or
// lies inside it, or holds it: the copies would overwrite the reports read.
bool CheckApart(const std::string& datasetDir, const std::string& resultsDir, std::string* error);

}  // namespace nwk
