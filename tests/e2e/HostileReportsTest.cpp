// Hostile reports end to end: every case is the bundled sample with one
// thing made hostile (see tests/hostile/README.md). Whatever the case, the
// runner ends with 0 or 1, every XML file parses back, nothing is created
// outside the results folder, no name runs anything, and well-formed
// resources are still in the output.
#include <gtest/gtest.h>


#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "TestUtil.h"
#include "hx/Files.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kHostile = std::string(NWK_SOURCE_DIR) + "/tests/hostile";

using Reports = std::map<std::string, std::string>;  // file name -> text

struct Case {
  std::string name;
  std::function<void(Reports&)> make;
  std::vector<std::string> mustList;  // client names that must be in the client list
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

class HostileReports : public ::testing::Test {
 protected:
  Reports Sample() {
    Reports reports;
    for (const std::string& name : testutil::ListDir(kSample))
      if (name.rfind("tarn_", 0) == 0) reports[name] = testutil::ReadFile(kSample + "/" + name);
    return reports;
  }
  std::string Mark() const { return dir_ / "MARK"; }
  std::string Hostile(const std::string& file) const {
    return ReplaceAll(testutil::ReadFile(kHostile + "/" + file), "MARK", Mark());
  }
  // Writes the case's reports, runs it, and checks what every case must hold.
  void Run(const Case& c, bool live) {
    SCOPED_TRACE(c.name + (live ? " (live)" : ""));
    std::string data = dir_ / "data", out = dir_ / "out";
    std::filesystem::remove_all(data);
    std::filesystem::remove_all(out);
    hx::MakeDirectories(data, nullptr);
    Reports reports = Sample();
    c.make(reports);
    for (const auto& [name, text] : reports) testutil::WriteFile(data + "/" + name, text);
    std::vector<std::string> args = {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", out};
    if (live) args.push_back("--live");
    else args.insert(args.end(), {"--replay", data});
    args.insert(args.end(), {"config", "clients", "jobs", "schedule", "media"});
    std::vector<std::string> env = {"TZ=UTC", std::string("PATH=") + NWK_EMULATOR_DIR + ":/usr/bin:/bin",
                                    "NWK_EMULATOR_DATA=" + data};
    std::string output;
    int status = testutil::RunProgram(args, env, &output);
    EXPECT_TRUE(status == 0 || status == 1) << status << "\n" << output.substr(0, 2000);
    EXPECT_EQ(testutil::ListDir(dir_.path()), (std::vector<std::string>{"data", "out"}));  // nothing else, no MARK
    std::string clients;
    for (const std::string& name : testutil::ListDir(out + "/xml")) {
      CNMessageBase msg(0, 0);
      std::string error;
      EXPECT_TRUE(hx::ReadMessageXmlFile(out + "/xml/" + name, &msg, &error)) << error;
      if (name.find("ClientsList") != std::string::npos) clients = testutil::ReadFile(out + "/xml/" + name);
    }
    for (const std::string& client : c.mustList)
      EXPECT_NE(clients.find(">" + client + "<"), std::string::npos) << client;
  }
  testutil::ScopedTempDir dir_;
};

// Every report emptied, cut in the middle of a line, or replaced by garbage.
std::vector<Case> DamagedFiles() {
  std::vector<Case> cases;
  std::mt19937 random(7);
  for (const char* file : {"tarn_client.txt", "tarn_directive.txt", "tarn_group.txt", "tarn_schedule.txt",
                                  "tarn_server.txt", "tarn_storagenode.txt", "tarn_jobs_unix_daily.txt",
                                  "tarn_jobs.txt", "tarn_nwk_localeconfig.txt", "tarn_drives.txt",
                                  "tarn_libraries.txt", "tarn_mediainfo.txt", "tarn_storagepolicies.txt"}) {
    cases.push_back({std::string("empty ") + file, [file](Reports& r) { r[file].clear(); }, {}});
    cases.push_back({std::string("truncated ") + file, [file](Reports& r) { r[file].resize(r[file].size() / 2 + 3); }, {}});
    std::string garbage(65536, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    cases.push_back({std::string("garbage ") + file, [file, garbage](Reports& r) { r[file] = garbage; }, {}});
  }
  return cases;
}

TEST_F(HostileReports, DamagedFilesNeverBreakTheRun) {
  for (const Case& c : DamagedFiles()) Run(c, false);
}

TEST_F(HostileReports, NamesStayTextAndStayInside) {
  Case names{"hostile names",
             [this](Reports& r) {
               r["tarn_client.txt"] += Hostile("tarn_client_names.txt");
               r["tarn_jobs_unix_daily.txt"] += Hostile("tarn_jobs_names.txt");
               r["tarn_group.txt"] += "name: g\";touch " + Mark() + ";\";\nname: ../../../tmp/x;\n";
               r["tarn_libraries.txt"] += "name: \"rd=../..:$(touch " + Mark() + ")\";\nSTL barcodes: ../../vol, a/b,\n.hidden;\n";
               r["tarn_drives.txt"] += "name: \\\n\"rd=a/b:../x\";\nmedia family: disk;\nvolume name: ../../vol;\n";
             },
             {"evil$(touch " + Mark() + ")", "../../escape", "a/b\\c", "winfs01"}};
  Run(names, false);
  Run(names, true);
}

TEST_F(HostileReports, DisorderLongLinesCrlfAndEndlessContinuations) {
  std::vector<Case> cases = {
      {"disorder", [this](Reports& r) { r["tarn_client.txt"] += Hostile("tarn_client_disorder.txt"); },
       {"disorder01", "disorder02", "winfs01"}},
      {"10 MB line", [](Reports& r) { r["tarn_client.txt"].insert(0, std::string(10 << 20, 'a') + "\n"); },
       {"winfs01", "nwsrv01"}},
      {"CRLF", [](Reports& r) {
         for (auto& [name, text] : r) text = ReplaceAll(text, "\n", "\r\n");
       }, {"winfs01", "WINAPP02"}},
      {"endless continuations", [](Reports& r) {
         r["tarn_directive.txt"] += "name: endless;\ndirective: \"<< / >>\n+aes\n";
         r["tarn_schedule.txt"] += "name: endless;\nperiod: Month;\naction: \\\nfull incr\n";
         r["tarn_client.txt"] += "name: endless;\ngroup: \\\nA,\nB,\n";
       }, {"winfs01"}},
      {"100,000 groups in one list", [](Reports& r) {
         std::string list;
         for (int n = 0; n < 100000; ++n) list += "G" + std::to_string(n) + (n % 8 == 7 ? ",\n" : ", ");
         r["tarn_client.txt"] += "name: many;\ngroup: " + list + "UNIX_Daily;\nsave set: All;\nlicensed PSPs: ;\n";
       }, {"many", "winfs01"}},
  };
  for (const Case& c : cases) Run(c, false);
}

}  // namespace
