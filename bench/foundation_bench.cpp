// Throughput and memory of the shared pieces every discovery leans on: the
// report line reader, the message store and the XML writer.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "handler/CForeignHandlerNWK.h"
#include "handler/ReportReader.h"
#include "hx/MessageClasses.h"
#include "host/src/XmlReferenceWriter.h"
#include "hx/XmlForm.h"

namespace {

// A client report of `clients` resources in NetWorker's layout.
std::string ClientReport(int clients) {
  std::string text;
  for (int i = 0; i < clients; ++i) {
    std::string n = std::to_string(i);
    text += "                        type: NSR client;\n"
            "                        name: client" + n + ".lab.local;\n"
            "                      server: nwsrv01;\n"
            "                    schedule: Default;\n"
            "                       group: Daily, Weekly;\n"
            "                    save set: /, /usr, /var, \n"
            "                              /opt/app" + n + ";\n"
            "              client OS type: Linux;\n"
            "           NetWorker version: 8.2.2.6.Build.985;\n"
            "               licensed PSPs: ;\n\n";
  }
  return text;
}

void BM_ReportReader(benchmark::State& state) {
  std::string text = ClientReport(static_cast<int>(state.range(0)));
  size_t lines = 0;
  for (auto _ : state) {
    ReportReader reader(text, "tarn_client.txt");
    std::string line;
    while (reader.Next(&line)) {
      benchmark::DoNotOptimize(CForeignHandlerNWK::GetAttributeValue(line, ':'));
      ++lines;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetItemsProcessed(static_cast<int64_t>(lines));
}
BENCHMARK(BM_ReportReader)->Arg(10000);

// A job record as job discovery builds it: a dozen ints and short strings.
FDC::JobInfo JobMessage(int n) {
  FDC::JobInfo job;
  for (short i = 1; i <= 8; ++i) job.setint64(i, i, 1700000000LL + n * i);
  job.setstring(9, 9, "client" + std::to_string(n % 5000));
  job.setstring(10, 10, "Daily");
  job.setstring(11, 11, "/var/lib/app/data" + std::to_string(n % 97));
  job.setstring(12, 12, "Full");
  return job;
}

void BM_MessageStoreMemory(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  size_t bytesPerMessage = 0;
  for (auto _ : state) {
    size_t before = mallinfo2().uordblks;
    std::vector<FDC::JobInfo> jobs;
    jobs.reserve(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) jobs.push_back(JobMessage(n));
    bytesPerMessage = (mallinfo2().uordblks - before) / static_cast<size_t>(count);
    benchmark::DoNotOptimize(jobs.data());
  }
  state.counters["bytes_per_message"] = static_cast<double>(bytesPerMessage);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_MessageStoreMemory)->Arg(200000)->Unit(benchmark::kMillisecond);

FDC::JobList JobListMessage(int jobs) {
  FDC::JobList list;
  std::vector<CNMessageBase>* list_jobs = list.getlistobject(1, 1, FDC::JobList::kClassKey, 0, true);
  for (int n = 0; n < jobs; ++n) list_jobs->push_back(JobMessage(n));
  return list;
}

// MB/s of XML written into memory (one string, written again and again), by the
// message writer and by the libxml2 text writer it is held to.
template <bool (*Write)(const CNMessageBase&, std::string*, std::string*)>
void BM_XmlWrite(benchmark::State& state) {
  FDC::JobList list = JobListMessage(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  std::string xml, error;
  for (auto _ : state) {
    if (!Write(list, &xml, &error)) state.SkipWithError(error.c_str());
    bytes = xml.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK_TEMPLATE(BM_XmlWrite, hx::WriteMessageXml)->Name("BM_XmlWrite")->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_XmlWrite, hx::WriteMessageXmlReference)
    ->Name("BM_XmlWriteLibxml2")->Arg(20000)->Unit(benchmark::kMillisecond);

// MB/s of XML streamed into a file through the writer's buffer, as the results
// folder gets it; on tmpfs, so that the figure is the writer's and not the disk's.
void BM_XmlWriteFile(benchmark::State& state) {
  FDC::JobList list = JobListMessage(static_cast<int>(state.range(0)));
  std::string xml, error;
  if (!hx::WriteMessageXml(list, &xml, &error)) state.SkipWithError(error.c_str());
  const std::string path = "/dev/shm/nwk-bench-" + std::to_string(getpid()) + ".xml";
  for (auto _ : state) {
    if (!hx::WriteMessageXmlFile(list, path, &error)) state.SkipWithError(error.c_str());
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}
BENCHMARK(BM_XmlWriteFile)->Arg(20000)->Unit(benchmark::kMillisecond);

// Small messages dumped one after another into one folder, as a run with
// thousands of groups does: the cost per file must not grow with the folder.
void BM_DumpToFolder(benchmark::State& state) {
  FDC::JobList list = JobListMessage(1);
  char pattern[] = "/tmp/nwk-bench-dump-XXXXXX";
  if (!mkdtemp(pattern)) state.SkipWithError("no temporary folder");
  const std::string folder = pattern;
  for (auto _ : state) {
    for (int n = 0; n < state.range(0); ++n) {
      std::string error;
      if (!hx::DumpMessageToFolder(list, folder, nullptr, &error)) state.SkipWithError(error.c_str());
    }
    state.PauseTiming();
    std::filesystem::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DumpToFolder)->Arg(500)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
