// What changed between two runs: each results directory's rows kept by key
// (client name, resource, policy, pool, volume), then compared key by key.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "EstateRows.h"

namespace nwk {

using Attributes = std::vector<std::pair<std::string, std::string>>;  // name -> value, in a fixed order

// The kinds compared, in the order they are reported.
const std::vector<std::string>& CompareKinds();

// The rows of one results directory that a comparison looks at.
struct EstateSnapshot {
  std::map<std::string, std::map<std::string, Attributes>> records;  // kind -> key -> attributes
  std::map<std::string, DayRow> days;
};

class SnapshotSink : public EstateSink {
 public:
  explicit SnapshotSink(EstateSnapshot* snapshot) : m_snapshot(snapshot) {}
  void Client(const ClientRow& row) override;
  void Resource(const ResourceRow& row) override;
  void SchedulePolicy(const SchedulePolicyRow& row) override;
  void Pool(const PoolRow& row) override;
  void Medium(const MediumRow& row) override;
  void Day(const DayRow& row) override { m_snapshot->days[row.day] = row; }

 private:
  void Keep(const std::string& kind, const std::string& key, Attributes attributes);
  EstateSnapshot* m_snapshot;
};

struct AttributeChange {
  std::string name, oldValue, newValue;
};

struct RecordChange {
  std::string kind, key;
  std::string what;  // "added", "removed" or "changed"
  std::vector<AttributeChange> attributes;  // for "changed"
};

struct DayChange {
  std::string day;
  long long oldJobs = 0, newJobs = 0, oldBytes = 0, newBytes = 0;
};

struct EstateChanges {
  std::vector<RecordChange> records;  // by kind (CompareKinds order), then key
  std::vector<DayChange> days;        // by day
  std::size_t Count() const { return records.size() + days.size(); }
};

EstateChanges CompareSnapshots(const EstateSnapshot& before, const EstateSnapshot& after);

}  // namespace nwk
