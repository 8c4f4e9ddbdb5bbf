// The merge index against a direct transcription of the backward search over
// the job list, on many random save set sequences.
#include <gtest/gtest.h>

#include <random>

#include "handler/JobMergeIndex.h"

namespace {

struct Job {
  std::string subclient, client;
  long long time;
};

// Walks the job list from its newest job towards the oldest.
long DirectSearch(const std::vector<Job>& jobs, const Job& saveSet, long long window, bool newestOnly) {
  for (size_t n = jobs.size(); n-- > 0;) {
    const Job& job = jobs[n];
    if (job.subclient != saveSet.subclient || job.client != saveSet.client) continue;
    long long diff = saveSet.time > job.time ? saveSet.time - job.time : job.time - saveSet.time;
    if (diff <= window) return static_cast<long>(n);
    if (newestOnly) return JobMergeIndex::kNone;
  }
  return JobMergeIndex::kNone;
}

void RunSequence(std::mt19937& random, long long window, bool newestOnly) {
  std::uniform_int_distribution<int> names(0, 3), step(-2, 4), pick(0, 9);
  JobMergeIndex index(window);
  std::vector<Job> jobs;
  long long clock = 1700000000;
  for (int i = 0; i < 400; ++i) {
    // Times move forward, repeat, jump back, and land on the window's edges.
    int how = pick(random);
    if (how < 5) clock += step(random) * (window / 2 + 1);
    else if (how < 7) clock += window;
    else if (how < 8) clock += window + 1;
    else if (how < 9) clock -= window * 3;
    Job saveSet{"sub" + std::to_string(names(random)), "c" + std::to_string(names(random) % 2), clock};
    long expected = DirectSearch(jobs, saveSet, window, newestOnly);
    long found = newestOnly ? index.FindNewestOnly(saveSet.subclient, saveSet.client, saveSet.time)
                            : index.FindWithinWindow(saveSet.subclient, saveSet.client, saveSet.time);
    ASSERT_EQ(found, expected) << "save set " << i << " at " << saveSet.time;
    if (found == JobMergeIndex::kNone) {
      jobs.push_back(saveSet);
      index.Add(saveSet.subclient, saveSet.client, saveSet.time, jobs.size() - 1);
    }
  }
}

TEST(JobMergeIndex, AgreesWithTheBackwardSearch) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 300; ++round) {
    for (long long window : {3600LL, 0LL, 1LL, 7200LL}) {
      RunSequence(random, window, false);
      RunSequence(random, window, true);
    }
  }
}

TEST(JobMergeIndex, ManualRunsLookAtTheNewestJobOnlyGroupRunsGoOn) {
  JobMergeIndex index(3600);
  index.Add("s", "c", 0, 0);
  index.Add("s", "c", 10000, 1);
  EXPECT_EQ(index.FindNewestOnly("s", "c", 3000), JobMergeIndex::kNone);
  EXPECT_EQ(index.FindWithinWindow("s", "c", 3000), 0);
  EXPECT_EQ(index.FindWithinWindow("s", "c", 3600), 0);
  EXPECT_EQ(index.FindWithinWindow("s", "c", 3601), JobMergeIndex::kNone);
  EXPECT_EQ(index.FindWithinWindow("s", "other", 0), JobMergeIndex::kNone);
  EXPECT_EQ(index.FindWithinWindow("s", "c", std::numeric_limits<long long>::min()), JobMergeIndex::kNone);
}

}  // namespace
