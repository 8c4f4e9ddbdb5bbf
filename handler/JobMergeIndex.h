// Finds the job a save set folds into without walking the job list backwards.
// Jobs are keyed by the names job matching compares (subclient, client); per
// key the index keeps the newest job and the jobs ordered by backup time.
//
// Answers exactly what the backward search over the job list would:
//  - newest only (manual save sets): the newest job of the key, if its time
//    is within the window of the save set's time;
//  - any (group runs): the newest job of the key whose time is within the window.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class JobMergeIndex {
 public:
  static constexpr long kNone = -1;
  explicit JobMergeIndex(long long window) : m_window(window) {}

  long FindNewestOnly(const std::string& subclient, const std::string& client, long long time) const;
  long FindWithinWindow(const std::string& subclient, const std::string& client, long long time) const;
  // Jobs must be added in the order they were appended to the list.
  void Add(const std::string& subclient, const std::string& client, long long time, size_t job);

 private:
  struct Jobs {
    size_t newest = 0;
    long long newestTime = 0;
    // (time, position), ordered by time then position: a key has a job per
    // backup run, a hundred or so, which a sorted array searches fastest.
    std::vector<std::pair<long long, size_t>> byTime;
  };
  const Jobs* Find(const std::string& subclient, const std::string& client) const;
  // The map key of a subclient and client, built in m_key: a lookup per save
  // set then costs no allocation.
  const std::string& Key(const std::string& subclient, const std::string& client) const;
  bool Within(long long a, long long b) const;

  long long m_window;
  std::unordered_map<std::string, Jobs> m_jobs;
  mutable std::string m_key;
};
