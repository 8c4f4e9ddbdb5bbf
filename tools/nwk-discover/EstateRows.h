// The estate as plain rows (a client, a resource, a medium, a day, ...) and the
// sink interface every rendering of a results directory is built on.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace nwk {

// The error lines an operation logged (the first kErrorLinesKept of them).
struct OperationErrors {
  static constexpr std::size_t kErrorLinesKept = 50;
  long long count = 0;
  std::vector<std::string> lines;
};

// What the runner's log (and the server report) say about the last run.
struct RunRow {
  // Operation name -> "ok", "completed with errors" (it succeeded but logged
  // errors) or "failed"; absent when not run.
  std::map<std::string, std::string> operations;
  std::vector<std::string> operationOrder;  // the operations in the order they ran
  std::map<std::string, OperationErrors> operationErrors;  // operations that logged errors
  std::string serverVersion;  // the release the server report gives, "" when unknown
  std::string modelNotice;    // set when that release is newer than the model the discovery reads
  // Where the reports came from: "local" (the tools of this host, for the
  // server they answer for), "remote" (a server named with --server),
  // "replay" (a dataset directory), "" (the log does not say).
  std::string origin;
  std::string originHost;     // the host the commands ran on (local, remote)
  std::string originServer;   // the name given with --server (remote)
  std::string originDataset;  // the dataset directory (replay)
  std::string serverName;                          // as the log names it
  std::string mainMediaAgent;
  std::string dateFormat;
  std::string dateFormatSource;  // "file", "setting", "default" or ""
};

struct ClientRow {
  std::string name;
  std::string server;   // the NetWorker server the client belongs to, "" when not given
  std::string os;
  std::vector<std::string> versions;  // NetWorker client software, as the client's properties give it
  bool storageNode = false;
  std::vector<std::string> agents;  // application type of each agent entry, in order
};

struct ResourceRow {
  std::string client;
  std::string subclient;
  std::string application;
  std::vector<std::string> groups;  // groups of the schedule policies naming the resource
  std::string schedule;             // its schedule, "" when none was found
  std::vector<std::string> saveSets;
  bool hasProperties = false;  // the resource carries compression and encryption settings
  bool compressed = false;
  bool encrypted = false;
  bool otherAgent = false;      // under "Other External Agent"
  bool defaultManual = false;   // the "Manual" resource every such client is given
};

// One subtask of a schedule policy: a backup level on some days at one time.
struct ScheduleSlot {
  long long level = 0;        // 1 Full, 2 Incremental, 3 Differential, 4 Synthetic Full
  bool monthly = false;
  unsigned weekDays = 0;      // bit d-1 set when day d (1 = Sunday) runs, weekly patterns
  long long dayOfMonth = 0;   // monthly patterns
  long long startSeconds = -1;  // -1 when the group has no start time
};

// A resource a schedule policy names, as resource rows name it.
struct ScheduledResource {
  std::string client;
  std::string application;
  std::string subclient;
};

struct SchedulePolicyRow {
  std::string name;
  std::vector<ScheduleSlot> slots;
  std::vector<std::string> subclients;  // "client / subclient"
  std::vector<ScheduledResource> resources;  // the same, for the resource rows' groups
};

struct LibraryRow {
  std::string name;
  long long drives = 0;
};

struct MediumRow {
  std::string volume;  // barcode, or the volume name when there is none
  std::string library;
  bool hasRetention = false;
  long long retention = 0;  // seconds since 1970-01-01 UTC
  long long jobs = 0;
};

struct PoolRow {
  std::string name;
  std::string description;
  std::vector<std::string> copies;     // copy names
  std::vector<std::string> libraries;  // libraries of the copies' data paths
};

struct JobRow {
  std::string client;
  long long startTime = 0;  // seconds since 1970-01-01 UTC
  long long bytes = 0;
};

struct DayRow {
  std::string day;  // "YYYY-MM-DD" (UTC), or "out of range"
  long long jobs = 0;
  long long bytes = 0;
};

// Something a migration engineer must look at by hand.
struct AttentionRow {
  std::string kind;     // one of the kAttention* texts
  std::string subject;  // what it is about: a resource, a pool, a save set
  std::string reason;
};

inline constexpr const char* kAttentionOtherAgent = "Other External Agent";
inline constexpr const char* kAttentionDropped = "Save set dropped";
inline constexpr const char* kAttentionNoSchedule = "No schedule policy";
inline constexpr const char* kAttentionNoCopy = "Pool without copy";

// Receives the rows of one results directory. Rows of one kind come in a
// stable order (file order, then message order); days come last, sorted, and
// `End` after everything. `Problem` names a file that could not be read, with the reason.
class EstateSink {
 public:
  virtual ~EstateSink() = default;
  virtual void Run(const RunRow&) {}
  virtual void Client(const ClientRow&) {}
  virtual void Resource(const ResourceRow&) {}
  virtual void SchedulePolicy(const SchedulePolicyRow&) {}
  virtual void Library(const LibraryRow&) {}
  virtual void Medium(const MediumRow&) {}
  virtual void Pool(const PoolRow&) {}
  virtual void Job(const JobRow&) {}
  virtual void Day(const DayRow&) {}
  virtual void Attention(const AttentionRow&) {}
  virtual void Problem(const std::string&) {}
  virtual void End() {}
};

// Hands every row to each of several sinks, in the order given.
class SinkList : public EstateSink {
 public:
  explicit SinkList(std::vector<EstateSink*> sinks) : m_sinks(std::move(sinks)) {}
  void Run(const RunRow& r) override { Each(&EstateSink::Run, r); }
  void Client(const ClientRow& r) override { Each(&EstateSink::Client, r); }
  void Resource(const ResourceRow& r) override { Each(&EstateSink::Resource, r); }
  void SchedulePolicy(const SchedulePolicyRow& r) override { Each(&EstateSink::SchedulePolicy, r); }
  void Library(const LibraryRow& r) override { Each(&EstateSink::Library, r); }
  void Medium(const MediumRow& r) override { Each(&EstateSink::Medium, r); }
  void Pool(const PoolRow& r) override { Each(&EstateSink::Pool, r); }
  void Job(const JobRow& r) override { Each(&EstateSink::Job, r); }
  void Day(const DayRow& r) override { Each(&EstateSink::Day, r); }
  void Attention(const AttentionRow& r) override { Each(&EstateSink::Attention, r); }
  void Problem(const std::string& r) override { Each(&EstateSink::Problem, r); }
  void End() override {
    for (EstateSink* sink : m_sinks) sink->End();
  }

 private:
  template <typename Row>
  void Each(void (EstateSink::*method)(const Row&), const Row& row) {
    for (EstateSink* sink : m_sinks) (sink->*method)(row);
  }
  std::vector<EstateSink*> m_sinks;
};

}  // namespace nwk
