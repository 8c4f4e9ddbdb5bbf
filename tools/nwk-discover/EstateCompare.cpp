// Keyed snapshots of two results directories and the walk that compares them:
// both sides are sorted maps, so the change list comes out sorted and the same
// on every run.
#include "EstateCompare.h"

#include "EstateAssembler.h"
#include "ReportText.h"

namespace nwk {
namespace {

constexpr const char* kClient = "client";
constexpr const char* kResource = "resource";
constexpr const char* kPolicy = "schedule policy";
constexpr const char* kPool = "pool";
constexpr const char* kMedium = "medium";

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
  return out;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

std::vector<AttributeChange> CompareAttributes(const Attributes& before, const Attributes& after) {
  std::map<std::string, std::pair<std::string, std::string>> values;  // name -> (old, new)
  for (const auto& [name, value] : before) values[name].first = value;
  for (const auto& [name, value] : after) values[name].second = value;
  std::vector<AttributeChange> changes;
  for (const auto& [name, pair] : values)
    if (pair.first != pair.second) changes.push_back({name, pair.first, pair.second});
  return changes;
}

void CompareKind(const std::string& kind, const std::map<std::string, Attributes>& before,
                 const std::map<std::string, Attributes>& after, EstateChanges* changes) {
  auto b = before.begin(), a = after.begin();
  while (b != before.end() || a != after.end()) {
    if (a == after.end() || (b != before.end() && b->first < a->first)) {
      changes->records.push_back({kind, b->first, "removed", {}});
      ++b;
    } else if (b == before.end() || a->first < b->first) {
      changes->records.push_back({kind, a->first, "added", {}});
      ++a;
    } else {
      std::vector<AttributeChange> attributes = CompareAttributes(b->second, a->second);
      if (!attributes.empty()) changes->records.push_back({kind, a->first, "changed", std::move(attributes)});
      ++a, ++b;
    }
  }
}

void CompareDays(const std::map<std::string, DayRow>& before, const std::map<std::string, DayRow>& after,
                 EstateChanges* changes) {
  std::map<std::string, DayChange> days;
  for (const auto& [day, row] : before) {
    DayChange& change = days[day];
    change.oldJobs = row.jobs;
    change.oldBytes = row.bytes;
  }
  for (const auto& [day, row] : after) {
    DayChange& change = days[day];
    change.newJobs = row.jobs;
    change.newBytes = row.bytes;
  }
  for (auto& [day, change] : days) {
    change.day = day;
    if (change.oldJobs != change.newJobs || change.oldBytes != change.newBytes) changes->days.push_back(change);
  }
}

}  // namespace

const std::vector<std::string>& CompareKinds() {
  static const std::vector<std::string> kKinds = {kClient, kResource, kPolicy, kPool, kMedium};
  return kKinds;
}

// A key seen twice (a damaged directory) is kept apart rather than lost.
void SnapshotSink::Keep(const std::string& kind, const std::string& key, Attributes attributes) {
  std::map<std::string, Attributes>& records = m_snapshot->records[kind];
  std::string unique = key;
  for (int n = 2; records.count(unique); ++n) unique = key + " (" + std::to_string(n) + ")";
  records[unique] = std::move(attributes);
}

void SnapshotSink::Client(const ClientRow& row) {
  Keep(kClient, row.name, {{"operating system", row.os}, {"NetWorker version", Join(row.versions)},
                           {"storage node", YesNo(row.storageNode)}, {"agents", Join(row.agents)}});
}

void SnapshotSink::Resource(const ResourceRow& row) {
  Keep(kResource, row.client + " / " + row.subclient,
       {{"application type", row.application}, {"group", Join(row.groups)}, {"schedule", row.schedule},
        {"save sets", Join(row.saveSets)}, {"compression", row.hasProperties ? YesNo(row.compressed) : ""},
        {"encryption", row.hasProperties ? YesNo(row.encrypted) : ""}});
}

void SnapshotSink::SchedulePolicy(const SchedulePolicyRow& row) {
  static const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  ScheduleCells cells = ScheduleText(row, ", ");
  Attributes attributes;
  for (int d = 0; d < 7; ++d) attributes.emplace_back(kDays[d], cells.days[d]);
  attributes.emplace_back("days of the month", cells.monthly);
  attributes.emplace_back("subclients", Join(row.subclients));
  Keep(kPolicy, row.name, std::move(attributes));
}

void SnapshotSink::Pool(const PoolRow& row) {
  Keep(kPool, row.name, {{"description", row.description}, {"copies", Join(row.copies)}, {"libraries", Join(row.libraries)}});
}

void SnapshotSink::Medium(const MediumRow& row) {
  Keep(kMedium, row.volume, {{"library", row.library}, {"retention date", row.hasRetention ? UtcDay(row.retention) : ""},
                             {"jobs", std::to_string(row.jobs)}});
}

EstateChanges CompareSnapshots(const EstateSnapshot& before, const EstateSnapshot& after) {
  static const std::map<std::string, Attributes> kNone;
  EstateChanges changes;
  for (const std::string& kind : CompareKinds()) {
    auto b = before.records.find(kind), a = after.records.find(kind);
    CompareKind(kind, b == before.records.end() ? kNone : b->second, a == after.records.end() ? kNone : a->second, &changes);
  }
  CompareDays(before.days, after.days, &changes);
  return changes;
}

}  // namespace nwk
