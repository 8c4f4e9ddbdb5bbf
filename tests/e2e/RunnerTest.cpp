// nwk-discover end to end: a real process loading the real plug-in, on the
// bundled sample, on the emulators, and with bad input.
#include <gtest/gtest.h>


#include <algorithm>

#include "TestUtil.h"
#include "hx/Files.h"
#include "hx/HostEnv.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

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
  std::vector<std::string> written = testutil::ListDir(Out() + "/xml");
  EXPECT_EQ(written, testutil::ListDir(kGolden));
  for (const std::string& name : testutil::ListDir(kGolden))
    EXPECT_EQ(testutil::ReadFile(Out() + "/xml/" + name), testutil::ReadFile(kGolden + "/" + name)) << name;
  std::string log = testutil::ReadFile(Out() + "/nwk-discover.log");
  EXPECT_NE(log.find("Locale information for Networker server fetched successfully"), std::string::npos) << log;
}

TEST_F(Runner, SecondRunNeverOverwritesEarlierMessages) {
  ASSERT_EQ(Discover({"--replay", kSample, "--out", Out(), "config"}), 0) << output_;
  ASSERT_EQ(Discover({"--replay", kSample, "--out", Out(), "config"}), 0) << output_;
  EXPECT_EQ(testutil::ListDir(Out() + "/xml"),
            (std::vector<std::string>{"00001_FDC_ExternalNBUConfig.xml", "00002_FDC_ExternalNBUConfig.xml"}));
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
  CNMessageBase config(0, 0);
  std::string error;
  ASSERT_TRUE(hx::ReadMessageXmlFile(Out() + "/xml/00001_FDC_ExternalNBUConfig.xml", &config, &error)) << error;
  EXPECT_EQ(config.getint64(59), 5);
  EXPECT_EQ(config.getint64(58), 0);
  EXPECT_EQ(config.getstring(25, 76), "inst");
}

TEST_F(Runner, LiveModeRunsTheToolsFromPath) {
  ASSERT_EQ(Discover({"--live", "--out", Out(), "config"}, LiveEnv()), 0) << output_;
  EXPECT_EQ(output_.find("bundled sample"), std::string::npos);
  EXPECT_TRUE(hx::FileExists(Out() + "/xml/00001_FDC_ExternalNBUConfig.xml"));
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

TEST_F(Runner, NoOperationNamedRunsAllFiveOnTheBundledSample) {
  ASSERT_EQ(Discover({"--out", Out()}), 0) << output_;
  for (const char* line : {"config    ok", "clients   ok", "jobs      ok", "media     ok", "schedule  ok"})
    EXPECT_NE(output_.find(line), std::string::npos) << line << "\n" << output_;
  EXPECT_NE(output_.find("5 operation(s), 0 failed"), std::string::npos) << output_;
}

TEST_F(Runner, BadInvocationsExitTwoWithOneLine) {
  struct Case { std::vector<std::string> args; const char* message; } cases[] = {
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"--out"}, "option --out needs a value"},
      {{"--job-id", "12x"}, "option --job-id needs a number, got '12x'"},
      {{"inventory"}, "unknown operation 'inventory'"},
      {{"--live", "--replay", "/tmp"}, "--live and --replay exclude each other"},
      {{"--replay", "/nonexistent/dataset"}, "dataset directory '/nonexistent/dataset' does not exist"},
      {{"--replay", "/"}, "holds no tarn_*.txt report"},
      {{"--plugin", "/nonexistent/libx.so", "config"}, "cannot load the plug-in"},
      {{"--live", "--server", ""}, "option --server needs a server name, got an empty one"},
      {{"--live", "--server", "-s"}, "option --server needs a server name, got '-s'"},
      {{"--live", "--server", "a\nb"}, "the server name holds a control character"},
      {{"--server"}, "option --server needs a value"},
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

TEST_F(Runner, HelpListsEveryOperationAndOption) {
  ASSERT_EQ(Discover({"--help"}), 0);
  for (const char* word : {"config", "clients", "jobs", "media", "schedule", "--replay", "--live", "--out",
                           "--settings", "--host-link", "--offline", "--job-id", "--debug-level", "--plugin", "--server"})
    EXPECT_NE(output_.find(word), std::string::npos) << word;
}

}  // namespace
