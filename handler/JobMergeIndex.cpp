// JobMergeIndex: the per-key lookups behind job merging.
#include "handler/JobMergeIndex.h"

#include <algorithm>
#include <limits>

const std::string& JobMergeIndex::Key(const std::string& subclient, const std::string& client) const {
  return m_key.assign(subclient).append(1, '\0').append(client);
}

bool JobMergeIndex::Within(long long a, long long b) const {
  // The difference is taken in unsigned arithmetic: times anywhere in the
  // 64-bit range never overflow.
  unsigned long long diff = a > b ? static_cast<unsigned long long>(a) - static_cast<unsigned long long>(b)
                                  : static_cast<unsigned long long>(b) - static_cast<unsigned long long>(a);
  return m_window >= 0 && diff <= static_cast<unsigned long long>(m_window);
}

const JobMergeIndex::Jobs* JobMergeIndex::Find(const std::string& subclient, const std::string& client) const {
  auto it = m_jobs.find(Key(subclient, client));
  return it == m_jobs.end() ? nullptr : &it->second;
}

long JobMergeIndex::FindNewestOnly(const std::string& subclient, const std::string& client, long long time) const {
  const Jobs* jobs = Find(subclient, client);
  if (!jobs || !Within(jobs->newestTime, time)) return kNone;
  return static_cast<long>(jobs->newest);
}

// The jobs of one key whose times lie in [time - window, time + window]; the
// newest of them (highest position in the list) is the answer. Jobs of one
// key built in group runs lie more than a window apart, so the range is short.
long JobMergeIndex::FindWithinWindow(const std::string& subclient, const std::string& client, long long time) const {
  const Jobs* jobs = Find(subclient, client);
  if (!jobs || m_window < 0) return kNone;
  long long lowest = time >= std::numeric_limits<long long>::min() + m_window ? time - m_window
                                                                              : std::numeric_limits<long long>::min();
  long best = kNone;
  auto first = std::lower_bound(jobs->byTime.begin(), jobs->byTime.end(), std::make_pair(lowest, size_t{0}));
  for (auto it = first; it != jobs->byTime.end() && Within(it->first, time); ++it)
    if (static_cast<long>(it->second) > best) best = static_cast<long>(it->second);
  return best;
}

void JobMergeIndex::Add(const std::string& subclient, const std::string& client, long long time, size_t job) {
  Jobs& jobs = m_jobs[Key(subclient, client)];
  jobs.newest = job;
  jobs.newestTime = time;
  // Runs mostly come in time order, so this is mostly an append.
  auto entry = std::make_pair(time, job);
  jobs.byTime.insert(std::upper_bound(jobs.byTime.begin(), jobs.byTime.end(), entry), entry);
}
