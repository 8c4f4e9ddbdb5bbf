// Stand-in for NetWorker's mminfo: answers exactly the two reports the fetchers ask for,
// from the dataset directory (NWK_EMULATOR_DATA):
//
//   mminfo -xc, -aocnt -r "<save set columns>" -q "group=<G>"   header line, then the rows
//   mminfo -xc, -aocnt -r "<save set columns>" -q "level=manual"   of tarn_jobs_<g>.txt or
//                                                                  tarn_jobs.txt
//   mminfo -xc, -m -av                                            tarn_mediainfo.txt as stored
//
// Stored save set files hold rows only; the header is printed here. A group name becomes
// part of a file name only lower-cased and through the file-safe encoding, so no argument
// can reach a file outside the dataset. A report with no rows is answered with NetWorker's
// numbered message on standard output and exit code 1:
//
//   6095: mminfo: no matches found for the query
//
// Either form may start with "-s <server>": the emulator then answers only when
// <server> is the dataset's server, and fails as an unreachable server otherwise.
// Any other argument list is a usage error.
#include <string>
#include <string_view>
#include <vector>

#include "EmulatorCommon.h"

namespace {

constexpr char kTool[] = "mminfo";
constexpr char kServerDown[] = "mminfo: RPC error: Unable to connect to server: Connection refused";
constexpr char kSaveSetSpec[] =
    "group,client,name,level,nsavetime,totalsize,sscomp(25),nfiles,volume,location,volid,barcode";
// The same columns under the names mminfo prints in its -x header.
constexpr char kSaveSetHeader[] =
    "group,client,name,level,save-time,total,ss-completed,files,volume,location,volid,barcode\n";
constexpr char kNoMatches[] = "6095: mminfo: no matches found for the query\n";
constexpr char kUsage[] =
    "usage: mminfo -xc, -aocnt -r \"group,client,name,level,nsavetime,totalsize,sscomp(25),"
    "nfiles,volume,location,volid,barcode\" -q \"group=<group>\" | -q \"level=manual\"\n"
    "       mminfo -xc, -m -av\n"
    "This stand-in answers only these two reports.";
constexpr char kMediaFile[] = "tarn_mediainfo.txt";
constexpr char kManualFile[] = "tarn_jobs.txt";

struct Request {
  std::string file;       // dataset file that answers it; empty for a usage error
  bool withHeader = false;  // save set reports get their header line printed here
};

// "group=<G>" or "level=manual" to the dataset file; empty for any other query.
std::string SaveSetFileFor(std::string_view query) {
  constexpr std::string_view kGroup = "group=";
  if (query == "level=manual") return kManualFile;
  if (query.substr(0, kGroup.size()) != kGroup) return {};
  query.remove_prefix(kGroup.size());
  return "tarn_jobs_" + nwkemu::SafeFileName(nwkemu::ToLowerAscii(query)) + ".txt";
}

Request ParseArguments(const std::vector<std::string_view>& args) {
  Request request;
  if (args.size() == 3 && args[0] == "-xc," && args[1] == "-m" && args[2] == "-av") {
    request.file = kMediaFile;
  } else if (args.size() == 6 && args[0] == "-xc," && args[1] == "-aocnt" && args[2] == "-r" &&
             args[3] == kSaveSetSpec && args[4] == "-q") {
    request.file = SaveSetFileFor(args[5]);
    request.withHeader = true;
  }
  return request;
}

int Answer(const std::string& dir, const Request& request) {
  std::string rows;
  std::string error;
  const nwkemu::FileStatus status = nwkemu::ReadDataFile(dir, request.file, &rows, &error);
  if (status == nwkemu::FileStatus::kUnreadable) {
    return nwkemu::Fail(kTool, error);
  }
  if (status == nwkemu::FileStatus::kMissing || !nwkemu::HasContent(rows)) {
    nwkemu::WriteOut(kNoMatches);
    return nwkemu::kExitFailure;
  }
  const std::string out = request.withHeader ? kSaveSetHeader + rows : rows;
  if (!nwkemu::WriteOut(out)) {
    return nwkemu::Fail(kTool, "cannot write to standard output");
  }
  return nwkemu::kExitSuccess;
}

int Run(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string server;
  nwkemu::TakeServerOption(&args, &server);
  const Request request = ParseArguments(args);
  if (request.file.empty()) return nwkemu::Fail(kUsage);
  if (nwkemu::FailSwitchOn()) return nwkemu::Fail(kServerDown);
  std::string dir;
  std::string error;
  if (!nwkemu::DataDirectory(&dir, &error)) return nwkemu::Fail(kTool, error);
  if (nwkemu::CheckServer(kTool, dir, server) != nwkemu::kExitSuccess) return nwkemu::kExitFailure;
  return Answer(dir, request);
}

}  // namespace

int main(int argc, char** argv) {
  return nwkemu::RunGuarded(kTool, [argc, argv] { return Run(argc, argv); });
}
