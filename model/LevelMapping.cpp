// NetWorker backup levels in the host's terms. The tables differ on purpose:
// schedules know "consolidate" as a synthetic full and "1" as a
// differential, job records know only "Consolidate" (code 64).
#include "model/HostMapping.h"

namespace {

struct LevelRow {
  const char* level;  // compared exactly
  const char* scheduleName;
  int scheduleLevel;
  int jobLevel;
};

const LevelRow kLevels[] = {
    {"full", "Full", 1, 1},
    {"manual", "Full", 1, 1},
    {"incr", "Incremental", 2, 2},
    {"consolidate", "Synthetic Full", 4, 2},
    {"Consolidate", "Incremental", 2, 64},
    {"1", "Differential", 3, 2},
};
const LevelRow kOtherLevel = {"", "Incremental", 2, 2};

const LevelRow& FindLevel(const std::string& level) {
  for (const LevelRow& row : kLevels)
    if (level == row.level) return row;
  return kOtherLevel;
}

}  // namespace

std::string hostmap::GetKelvraBackupLevelName(const std::string& level) {
  return FindLevel(level).scheduleName;
}

int hostmap::GetKelvraBackupLevel(const std::string& level) { return FindLevel(level).scheduleLevel; }

int hostmap::GetFDCBackupLevel(const std::string& level) { return FindLevel(level).jobLevel; }
