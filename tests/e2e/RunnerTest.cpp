// nwk-discover end to end: a real process loading the real plug-in, on the
// bundled sample, on the emulators, and with bad input.
#include <gtest/gtest.h>


#include <algorithm>

#include "TestUtil.h"
#include "hx/Files.h"
#include "hx/HostEnv.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/nwsrv-lab";

class Runner : public ::testing::Test {
 protected:
  int Discover(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), NWK_DISCOVER_BIN);
    args.push_back("--plugin");
    args.push_back(NWK_PLUGIN_PATH);
    return testutil::RunProgram(args, env, &output_);
  }
  std::string Out() const { return dir_ / "out"; }
  std::vector<std::string> LiveEnv(bool failing = false) const {
    std::vector<std::string> env = {std::string("PATH=") + NWK_EMULATOR_DIR + ":/usr/bin:/bin",
                                    "NWK_EMULATOR_DATA=" + kSample};
    if (failing) env.push_back("NWK_EMULATOR_FAIL=1");
    return env;
  }
  testutil::ScopedTempDir dir_;
  std::string output_;
};

TEST_F(Runner, BundledSampleMatchesTheGoldenFiles) {
  // The server's own client carries the time zone: pin it.
  ASSERT_EQ(Discover({"--out", Out(), "config", "clients"}, {"TZ=UTC"}), 0) << output_;
  EXPECT_EQ(output_.rfind("No --replay or --live given: replaying the bundled sample", 0), 0u) << output_;
  EXPECT_NE(output_.find("config    ok"), std::string::npos) << output_;
  testutil::ExpectGoldenFiles(Out() + "/xml", kGolden);
  std::string log = testutil::ReadFile(Out() + "/nwk-discover.log");
  EXPECT_NE(log.find("Locale information for Networker server fetched successfully"), std::string::npos) << log;
}

TEST_F(Runner, HostLinkCarriesRequestResponseAndStatus) {
  std::string link = dir_ / "link";
  ASSERT_TRUE(hx::MakeDirectories(link + "/inbox", nullptr));
  testutil::WriteFile(link + "/inbox/FDC_ExternalNBUConfig.xml",
                      "<msg class=\"FDC::ExternalNBUConfig\" module=\"32\" type=\"74\">"
                      "<int64 i=\"17\" t=\"59\">5</int64><string i=\"25\" t=\"76\">inst</string></msg>");
  ASSERT_EQ(Discover({"--replay", kSample, "--out", Out(), "--host-link", link, "--job-id", "42", "config"}), 0)
      << output_;
  EXPECT_EQ(testutil::ListDir(link + "/outbox"),
            (std::vector<std::string>{"00001_FDC_ExternalNBUConfig.xml", "00002_FDC_DiscoveryError.xml"}));
  const std::string config = testutil::ReadFile(Out() + "/xml/00001_FDC_ExternalNBUConfig.xml");
  EXPECT_NE(config.find("<string i=\"25\" t=\"76\">inst</string>"), std::string::npos) << config;  // the response's
}

// --server reaches both tools as -s NAME: the emulators answer only for their
// dataset's server and fail like an unreachable one for any other name.
TEST_F(Runner, LiveServerOptionQuestionsTheNamedServerOnly) {
  ASSERT_EQ(Discover({"--live", "--server", "nwsrv01", "--out", Out(), "config", "clients", "jobs", "media"}, LiveEnv()),
            0) << output_;
  EXPECT_TRUE(hx::FileExists(Out() + "/xml/00002_App_ClientsList.xml"));
  std::string wrong = dir_ / "wrong";
  EXPECT_EQ(Discover({"--live", "--server", "nw srv \"$(id)\"", "--out", wrong, "clients", "jobs"}, LiveEnv()), 1)
      << output_;
  EXPECT_NE(output_.find("nsradmin: RPC error: Unable to connect to server nw srv \"$(id)\""), std::string::npos)
      << output_;
  EXPECT_NE(output_.find("clients   FAILED"), std::string::npos) << output_;
}

// The report's server section says where the reports came from.
TEST_F(Runner, ReportSaysWhereTheServerWasQuestioned) {
  const std::string host = GetHostName();
  struct Case {
    std::vector<std::string> args;
    std::string json, html;
  } cases[] = {
      {{"--live"}, "\"questionedFrom\": \"local\",\n  \"questionedHost\": \"" + host + "\",\n  \"questionedServer\": \"\"",
       "questioned from " + host + " (local"},
      {{"--live", "--server", "NWSRV01"}, "\"questionedFrom\": \"remote\",\n  \"questionedHost\": \"" + host +
       "\",\n  \"questionedServer\": \"NWSRV01\"", "questioned from " + host + " with --server NWSRV01"},
      {{"--replay", kSample}, "\"questionedFrom\": \"replay\"", "reports replayed from " + kSample},
  };
  for (const Case& c : cases) {
    std::string out = dir_ / ("out" + std::to_string(&c - cases));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--out", out, "config"});
    ASSERT_EQ(Discover(args, LiveEnv()), 0) << output_;
    EXPECT_NE(testutil::ReadFile(out + "/summary.json").find(c.json), std::string::npos) << c.json;
    EXPECT_NE(testutil::ReadFile(out + "/report.html").find("<th>Questioned</th><td>" + c.html), std::string::npos)
        << c.html;
  }
}

TEST_F(Runner, BadInvocationsExitTwoWithOneLine) {
  const std::string file = dir_ / "file", empty = dir_ / "empty", garbage = dir_ / "garbage.ini";
  testutil::WriteFile(file, "");
  testutil::WriteFile(garbage, std::string("\x7f" "ELF\0\x01", 6));
  ASSERT_TRUE(hx::MakeDirectories(empty, nullptr));
  struct Case { std::vector<std::string> args; std::string message; } cases[] = {
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"--out"}, "option --out needs a value"},
      {{"--job-id", "12x"}, "option --job-id needs a number, got '12x'"},
      {{"inventory"}, "unknown operation 'inventory'"},
      {{"--live", "--replay", "/tmp"}, "--live and --replay exclude each other"},
      {{"--replay", "/"}, "holds no tarn_*.txt report"},
      {{"--plugin", "/nonexistent/libx.so", "config"}, "cannot load the plug-in"},
      {{"--timeout", "0"}, "option --timeout takes 1 to 31536000 seconds, got '0'"},
      {{"--debug-level", "-2"}, "option --debug-level takes -1 to 7, got '-2'"},
      {{"--debug-level", "99"}, "option --debug-level takes -1 to 7, got '99'"},
      {{"--replay", ""}, "option --replay needs a value, got an empty one"},
      {{"--replay", file}, "dataset directory '" + file + "' is a file, not a directory"},
      {{"report", "--out", file}, "results directory '" + file + "' is a file, not a directory"},
      {{"report", "--out", empty}, "'" + empty + "' is not a results directory"},
      {{"--settings", empty}, "unreadable settings file: cannot read '" + empty + "': Is a directory"},
      {{"--settings", garbage}, "unreadable settings file: " + garbage + ":1: expected [section] or key=value"},
      {{"jobs"}, "operation 'jobs' needs 'clients' in the same run"},
      {{"media"}, "operation 'media' needs 'config' and 'clients' in the same run"},
      {{"--live", "--server", ""}, "option --server needs a value, got an empty one"},
      {{"--live", "--server", "-s"}, "option --server needs a server name, got '-s'"},
      {{"--live", "--server", "a\nb"}, "the server name holds a control character"},
      {{"--server", "nwsrv01"}, "--server names the server to question and needs --live"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--out", Out()});
    std::vector<std::string> argv = {NWK_DISCOVER_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    EXPECT_EQ(testutil::RunProgram(argv, {}, &output_), 2) << c.message;
    EXPECT_NE(output_.find(c.message), std::string::npos) << output_;
    EXPECT_EQ(std::count(output_.begin(), output_.end(), '\n'), 1) << output_;
  }
}

// A rerun in the same results directory gives what the first run gave: the
// media carry the jobs once, the report counts one run; `media` in a later run
// reads the mapping the last job discovery wrote.
TEST_F(Runner, RerunsGiveWhatTheFirstRunGave) {
  auto mediaMessage = [this] {
    std::vector<std::string> names = testutil::ListDir(Out() + "/xml");
    auto last = std::find_if(names.rbegin(), names.rend(),
                             [](const std::string& n) { return n.find("_FDC_ForeignMedias.xml") != std::string::npos; });
    return last == names.rend() ? std::string() : testutil::ReadFile(Out() + "/xml/" + *last);
  };
  ASSERT_EQ(Discover({"--out", Out()}, {"TZ=UTC"}), 0) << output_;
  const std::string media = mediaMessage(), summary = testutil::ReadFile(Out() + "/summary.json");
  ASSERT_NE(media.find("_WIN_Daily_"), std::string::npos);  // the sample's media carry job keys
  ASSERT_EQ(Discover({"--out", Out()}, {"TZ=UTC"}), 0) << output_;
  EXPECT_TRUE(mediaMessage() == media) << "the second run's media differ";
  EXPECT_EQ(testutil::ReadFile(Out() + "/summary.json"), summary);
  ASSERT_EQ(Discover({"--out", Out(), "config", "clients", "media"}, {"TZ=UTC"}), 0) << output_;
  EXPECT_TRUE(mediaMessage() == media) << "media alone differs";
}

TEST_F(Runner, NamedOperationsRunInTheHostsOrderAndOddSettingsAreNamed) {
  const std::string settings = dir_ / "s.ini";
  testutil::WriteFile(settings, "[Pluvex]\nnTARNJobAggregationInterval=banana\nnMaxCommandOutputMB=lots\n");
  ASSERT_EQ(Discover({"--replay", kSample, "--out", Out(), "--settings", settings, "jobs", "clients"}), 0) << output_;
  EXPECT_EQ(output_.rfind("Operations run in the host's order: clients jobs\n", 0), 0u) << output_;
  EXPECT_LT(output_.find("clients   ok"), output_.find("jobs      ok")) << output_;
  std::string log = testutil::ReadFile(Out() + "/nwk-discover.log");
  for (const char* key : {"nTARNJobAggregationInterval=banana is not understood", "nMaxCommandOutputMB=lots is not understood"})
    EXPECT_NE(log.find(key), std::string::npos) << key;
}

TEST_F(Runner, HelpListsEveryOperationAndOption) {
  ASSERT_EQ(Discover({"--help"}), 0);
  for (const char* word : {"config", "clients", "jobs", "media", "schedule", "  report ", "  compare ", "--replay", "--live", "--out",
                           "--settings", "--host-link", "--offline", "--job-id", "--debug-level", "--plugin", "--server"})
    EXPECT_NE(output_.find(word), std::string::npos) << word;
}

}  // namespace
