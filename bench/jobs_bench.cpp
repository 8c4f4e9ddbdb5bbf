// Job discovery's memory and speed: bytes per save set record and per host
// job record as job discovery holds them, merging throughput, and the cost
// of the report's rows of a job list.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EstateExtract.h"
#include "ReportStream.h"
#include "fetchers/CNWKJobInfoFetcher.h"
#include "fields/JobFields.h"
#include "text/ReportReader.h"
#include "handler/CForeignHandlerNWK.h"
#include "handler/JobMergeIndex.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace {

size_t Allocated() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;  // large blocks come from mmap
}

NWKJobInfo Record(int n) {
  NWKJobInfo job;
  job.set_clientName("host" + std::to_string(n % 2000));
  job.set_groupName("UNIX_Daily");
  job.set_contentFolder(n % 5 == 0 ? "/" : "/var/lib/app" + std::to_string(n % 5));
  job.set_backupLevel("incr");
  job.set_media("A" + std::to_string(n % 500) + "L5");
  job.set_backupTime(1790000000LL + n);
  job.set_backupSize(123456789);
  job.set_numberOfFiles(1234);
  return job;
}

void BM_SaveSetRecordMemory(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  size_t bytes = 0;
  for (auto _ : state) {
    size_t before = Allocated();
    std::vector<NWKJobInfo> records;
    records.reserve(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) records.push_back(Record(n));
    bytes = (Allocated() - before) / static_cast<size_t>(count);
    benchmark::DoNotOptimize(records.data());
  }
  state.counters["bytes_per_record"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveSetRecordMemory)->Arg(200000)->Unit(benchmark::kMillisecond);

// A group's save set report as mminfo prints it, read into records: rows
// grouped by client, a few save sets each, day after day.
void BM_ParseSaveSetReport(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::string text;
  for (int n = 0; n < count; ++n) {
    int client = (n / 4) % 2000, day = n / 8000;
    text += "UNIX_Daily,lnxapp" + std::to_string(client) + ".lab.local," +
            (n % 4 == 0 ? std::string("/") : "/var/lib/app" + std::to_string(n % 4)) + "," +
            (day % 7 == 0 ? "full" : "incr") + "," + std::to_string(1790000000LL + day * 86400 + n % 8000) +
            ",123456789,x,1234,A" + std::to_string(client % 300) + "L5,rd=snode01:lib@1.0.0,3000000000,A" +
            std::to_string(client % 300) + "L5\n";
  }
  size_t rows = 0;
  for (auto _ : state) {
    std::vector<NWKJobInfo> jobs;
    CNWKJobInfoFetcher::ParseJobReport(ReportText(text), "UNIX_Daily", false, &jobs);
    rows += jobs.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetItemsProcessed(static_cast<int64_t>(rows));
}
BENCHMARK(BM_ParseSaveSetReport)->Arg(200000)->Unit(benchmark::kMillisecond);

// A job list of `count` jobs of one resource, as job discovery builds it: from
// the resource's template.
FDC::JobList BuiltJobs(int count) {
  CForeignHandlerNWK::set_NWKServerName("nwsrv01");
  NWKClientInfo client;
  client.set_clientName("host0001.lab.local");
  client.set_osName("Linux");
  NWKPolicyInfo policy;
  policy.set_policyName("subclient1");
  policy.set_groupName("UNIX_Daily");
  policy.set_appName("Filesystem");
  FDC::JobList list;
  std::vector<CNMessageBase>* jobs = list.getlistobject(jobfields::kListJobs.i, jobfields::kListJobs.t, 0, 0, true);
  jobs->reserve(static_cast<size_t>(count));
  JobTemplates templates;
  for (int n = 0; n < count; ++n) Record(n).BuildJob(jobs, templates.For(&client, &policy));
  return list;
}

void BM_JobMessageMemory(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  size_t bytes = 0;
  for (auto _ : state) {
    size_t before = Allocated();
    FDC::JobList list = BuiltJobs(count);
    bytes = (Allocated() - before) / static_cast<size_t>(count);
    benchmark::DoNotOptimize(&list);
  }
  state.counters["bytes_per_job"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_JobMessageMemory)->Arg(100000)->Unit(benchmark::kMillisecond);

// Lookups of a long history of one group: 2,000 subclients, 100 runs each.
void BM_JobMergeIndex(benchmark::State& state) {
  const int runs = 100, subclients = 2000;
  for (auto _ : state) {
    JobMergeIndex index(3600);
    size_t jobs = 0;
    for (int run = 0; run < runs; ++run) {
      for (int s = 0; s < subclients; ++s) {
        std::string name = "subclient" + std::to_string(s % 3);
        std::string client = "host" + std::to_string(s);
        long long time = 1790000000LL + run * 86400LL + s % 600;
        if (index.FindWithinWindow(name, client, time) == JobMergeIndex::kNone) index.Add(name, client, time, jobs++);
      }
    }
    benchmark::DoNotOptimize(jobs);
  }
  state.SetItemsProcessed(state.iterations() * runs * subclients);
}
BENCHMARK(BM_JobMergeIndex)->Unit(benchmark::kMillisecond);

class JobCount : public nwk::EstateSink {
 public:
  void Job(const nwk::JobRow& row) override { bytes += row.bytes; }
  long long bytes = 0;
};

const nwk::MessageRows& JobListKind() {
  for (const nwk::MessageRows& kind : nwk::MessageKinds())
    if (std::string(kind.className) == "FDC::JobList") return kind;
  std::abort();
}

// The report's share of a run: the rows of a job list taken from the message
// as it is written, and streamed from its file as `report --out` reads it
// (on tmpfs, so that the figure is the reader's and not the disk's).
void BM_ReportJobRowsFromMessage(benchmark::State& state) {
  FDC::JobList list = BuiltJobs(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    JobCount rows;
    nwk::ExtractMessage(list, rows);
    benchmark::DoNotOptimize(rows.bytes);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportJobRowsFromMessage)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReportJobRowsFromFile(benchmark::State& state) {
  const std::string path = "/dev/shm/nwk-bench-report-" + std::to_string(getpid()) + ".xml";
  std::string error;
  if (!hx::WriteMessageXmlFile(BuiltJobs(static_cast<int>(state.range(0))), path, &error))
    state.SkipWithError(error.c_str());
  for (auto _ : state) {
    JobCount rows;
    if (!nwk::StreamMessageFile(path, JobListKind(), rows, &error)) state.SkipWithError(error.c_str());
  }
  struct stat file {};
  stat(path.c_str(), &file);
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.st_size));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportJobRowsFromFile)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
