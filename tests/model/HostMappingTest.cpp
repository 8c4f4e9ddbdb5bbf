// Level names, schedule level numbers and job level codes.
#include <gtest/gtest.h>

#include "handler/CForeignHandlerNWK.h"

namespace {

TEST(LevelMapping, SchedulesAndJobsReadLevelsDifferently) {
  struct Case {
    const char* level;
    const char* name;
    int schedule, job;
  } cases[] = {
      {"full", "Full", 1, 1},          {"manual", "Full", 1, 1},       {"incr", "Incremental", 2, 2},
      {"consolidate", "Synthetic Full", 4, 2}, {"Consolidate", "Incremental", 2, 64},
      {"1", "Differential", 3, 2},     {"Full", "Incremental", 2, 2},  {"", "Incremental", 2, 2},
      {"skip", "Incremental", 2, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CForeignHandlerNWK::GetKelvraBackupLevelName(c.level), c.name) << c.level;
    EXPECT_EQ(CForeignHandlerNWK::GetKelvraBackupLevel(c.level), c.schedule) << c.level;
    EXPECT_EQ(CForeignHandlerNWK::GetFDCBackupLevel(c.level), c.job) << c.level;
  }
}

}  // namespace
