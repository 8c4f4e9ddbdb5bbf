// report.html and summary.json end to end: figures against the XML of the
// bundled sample, `report` rebuilding the same files, hostile names escaped.
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

#include <cstring>

#include "TestUtil.h"
#include "hx/Files.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kGolden = std::string(NWK_SOURCE_DIR) + "/tests/e2e/golden/report";

// Errors of libxml2's HTML parser, apart from the SVG tags it does not know.
std::vector<std::string> HtmlErrors(const std::string& html) {
  std::vector<std::string> errors;
  htmlParserCtxtPtr ctxt = htmlNewParserCtxt();
  xmlSetStructuredErrorFunc(&errors, [](void* data, auto e) {
    std::string text = e->message ? e->message : "";
    bool svg = e->code == XML_HTML_UNKNOWN_TAG &&
               (text.find("svg") != std::string::npos || text.find("rect") != std::string::npos ||
                text.find("text") != std::string::npos);
    if (!svg) static_cast<std::vector<std::string>*>(data)->push_back(std::to_string(e->line) + ": " + text);
  });
  htmlDocPtr doc = htmlCtxtReadMemory(ctxt, html.data(), static_cast<int>(html.size()), "report.html", "UTF-8",
                                      HTML_PARSE_NONET);
  if (!doc) errors.push_back("not parsed");
  xmlFreeDoc(doc);
  htmlFreeParserCtxt(ctxt);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  return errors;
}

// Full paths of the files of `dir` ending in `suffix`, sorted.
std::vector<std::string> XmlFiles(const std::string& dir, const std::string& suffix) {
  std::vector<std::string> paths;
  for (const std::string& name : testutil::ListDir(dir, suffix)) paths.push_back(dir + "/" + name);
  return paths;
}

class Report : public ::testing::Test {
 protected:
  int Discover(std::vector<std::string> args) {
    args.insert(args.begin(), {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH});
    return testutil::RunProgram(args, {"TZ=UTC"}, &output_);
  }
  std::string Out() const { return dir_ / "out"; }
  // A copy of the bundled sample to change.
  std::string CopySample() { return testutil::CopyDataset(kSample, dir_ / "dataset"); }
  testutil::ScopedTempDir dir_;
  std::string output_;
};

// The reviewed summary and page of the sample (the sample's folder written as
// @SOURCE@); the page is self-contained and parses.
TEST_F(Report, SampleReportMatchesTheReviewedGoldens) {
  ASSERT_EQ(Discover({"--out", Out()}), 0) << output_;
  for (const char* name : {"summary.json", "report.html"}) {
    std::string text = testutil::ReadFile(Out() + "/" + name);
    for (std::size_t at; (at = text.find(NWK_SOURCE_DIR)) != std::string::npos;)
      text.replace(at, std::strlen(NWK_SOURCE_DIR), "@SOURCE@");
    EXPECT_EQ(text, testutil::ReadFile(kGolden + "/" + name)) << name;
  }
  std::string html = testutil::ReadFile(Out() + "/report.html");
  for (const char* outside : {"<script", "http", "url("}) EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  EXPECT_EQ(HtmlErrors(html), std::vector<std::string>{});
  EXPECT_EQ(output_.find("8.x model"), std::string::npos) << output_;  // an 8.x server: no notice
}

// Issue 13: a missing report leaves its operation "ok" for the host, but the
// run says it logged errors, and --strict fails on them; a 9.x server report
// is announced on the first line and at the top of the page.
TEST_F(Report, ErrorsOfASucceedingOperationAndANewerServerAreToldIssue13) {
  std::string dataset = CopySample();
  std::remove((dataset + "/tarn_jobs_unix_daily.txt").c_str());
  std::string server = testutil::ReadFile(dataset + "/tarn_server.txt");
  server.replace(server.find("8.2.1.0"), 7, "9.2.1.3");
  testutil::WriteFile(dataset + "/tarn_server.txt", server);

  ASSERT_EQ(Discover({"--replay", dataset, "--out", Out(), "clients", "jobs"}), 0) << output_;
  const std::string notice =
      "NetWorker 9.2.1.3 server: read with the 8.x model: protection policies, workflows and protection groups are "
      "not read";
  EXPECT_EQ(output_.rfind(notice + "\n", 0), 0u) << output_;
  EXPECT_NE(output_.find("\njobs      ok, 2 errors (see log) ("), std::string::npos) << output_;
  EXPECT_NE(output_.find("\nclients   ok ("), std::string::npos) << output_;
  const std::string json = testutil::ReadFile(Out() + "/summary.json");
  for (const std::string& member : std::vector<std::string>{
           "\"operations\": {\"clients\": \"ok\", \"jobs\": \"completed with errors\"}",
        "\"operationErrors\": {\"jobs\": {\"count\": 2, \"lines\": [", "Failed to collect jobs for group[UNIX_Daily]",
        "\"serverVersion\": \"9.2.1.3\"", "\"modelNotice\": \"" + notice + "\""})
    EXPECT_NE(json.find(member), std::string::npos) << member << "\n" << json;
  std::string html = testutil::ReadFile(Out() + "/report.html");
  EXPECT_NE(html.find("</h1>\n<p class=\"notice\">" + notice + "</p>"), std::string::npos);
  EXPECT_NE(html.find("operation <b>jobs</b>: <span class=\"errors\">completed with errors</span>"), std::string::npos);
  EXPECT_NE(html.find("<li>Failed to collect jobs for group[UNIX_Daily] </li>"), std::string::npos) << html;
  EXPECT_EQ(HtmlErrors(html), std::vector<std::string>{});

  // The same run, strict: the errors make the exit status 1.
  EXPECT_EQ(Discover({"--replay", dataset, "--out", dir_ / "strict", "--strict", "clients", "jobs"}), 1) << output_;
  EXPECT_NE(output_.find("--strict: 2 error(s) logged, exit status 1"), std::string::npos) << output_;
  EXPECT_EQ(Discover({"--replay", kSample, "--out", dir_ / "clean", "--strict", "clients"}), 0) << output_;

  // Live, the release is known once client discovery has read the server report.
  ASSERT_EQ(testutil::RunProgram({NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--live", "--out", dir_ / "live", "clients"},
                                 {std::string("PATH=") + NWK_EMULATOR_DIR + ":/usr/bin:/bin", "NWK_EMULATOR_DATA=" + dataset},
                                 &output_),
            0)
      << output_;
  EXPECT_EQ(output_.find("clients   ok ("), 0u) << output_;
  EXPECT_NE(output_.find(")\n" + notice + "\n"), std::string::npos) << output_;
}

// The report takes its facts from the operations' records, so rewording the
// log's sentences changes nothing in it.
TEST_F(Report, ReportCommandRebuildsTheSameFilesWithoutDiscoveryWhateverTheLogSays) {
  // A manual save set of an unknown client is dropped as well (it was dropped without a record before).
  std::string dataset =
      testutil::CopyDataset(kSample, dir_ / "dataset",
                            {{"tarn_jobs_unix_daily.txt", "UNIX_Daily,ghost,/x,full,1795000000,1,x,1,v,l,1,B\n"},
                             {"tarn_jobs.txt", ",ghost,/y,manual,1795000000,1,x,1,v,l,1,B\n"},
                             {"tarn_client.txt", "\nname: lonely;\ngroup: NoSuchGroup;\nlicensed PSPs: ;\n"}});
  ASSERT_EQ(Discover({"--replay", dataset, "--out", Out(), "config", "clients", "jobs", "schedule"}), 0) << output_;
  std::string json = testutil::ReadFile(Out() + "/summary.json");
  std::string html = testutil::ReadFile(Out() + "/report.html");
  std::size_t xmlFiles = XmlFiles(Out() + "/xml", ".xml").size();
  // The workbook's resource sheet gives each resource its group and schedule.
  auto resources = [this](std::string* sheet) {
    return testutil::RunProgram({"unzip", "-p", Out() + "/estate.xlsx", "xl/worksheets/sheet2.xml"}, {}, sheet);
  };
  std::string sheet, rebuiltSheet;
  ASSERT_EQ(resources(&sheet), 0) << sheet;
  EXPECT_NE(sheet.find("<t>Full Every Saturday</t>"), std::string::npos) << sheet;
  std::string log = testutil::ReadFile(Out() + "/nwk-discover.log");
  // Error lines are quoted as logged, so only the other sentences change.
  for (const char* sentence : {"Main MA is", "Networker server name is", "Locale information",
                               "Skipping schedule creation", "Passing over policy", "Building schedule"}) {
    ASSERT_NE(log.find(sentence), std::string::npos) << sentence;
    for (std::size_t at = log.find(sentence); at != std::string::npos; at = log.find(sentence, at))
      log.replace(at, std::strlen(sentence), "Reworded");
  }
  testutil::WriteFile(Out() + "/nwk-discover.log", log);
  std::remove((Out() + "/summary.json").c_str());
  std::remove((Out() + "/report.html").c_str());
  ASSERT_EQ(Discover({"report", "--out", Out()}), 0) << output_;
  EXPECT_EQ(testutil::ReadFile(Out() + "/summary.json"), json);
  EXPECT_EQ(testutil::ReadFile(Out() + "/report.html"), html);
  ASSERT_EQ(resources(&rebuiltSheet), 0) << rebuiltSheet;
  EXPECT_EQ(rebuiltSheet, sheet);
  EXPECT_EQ(testutil::ReadFile(Out() + "/nwk-discover.log"), log);
  EXPECT_EQ(XmlFiles(Out() + "/xml", ".xml").size(), xmlFiles);
  EXPECT_NE(html.find("operation <b>media</b>: <span class=\"missing\">not run</span>"), std::string::npos);
  EXPECT_NE(json.find("\"droppedSaveSets\": 2"), std::string::npos) << json;
  EXPECT_NE(json.find("[subclient1] client [lonely]: group [NoSuchGroup] is not known"), std::string::npos)
      << json;
}

TEST_F(Report, BadInvocationsAndWriteFailures) {
  EXPECT_EQ(Discover({"report", "clients", "--out", Out()}), 2);
  EXPECT_EQ(Discover({"report", "--out", dir_ / "absent"}), 2);
  hx::MakeDirectories(Out() + "/report.html", nullptr);  // a directory where the page goes
  EXPECT_EQ(Discover({"--out", Out(), "config"}), 1) << output_;
  EXPECT_NE(output_.find("could not write the report"), std::string::npos) << output_;
  EXPECT_EQ(Discover({"report", "--out", Out()}), 1) << output_;
}

TEST_F(Report, HostileNamesComeOutEscaped) {
  const std::string hostile = std::string(NWK_SOURCE_DIR) + "/tests/hostile/";
  // The script client is the largest, so that it shows among the largest clients as well.
  std::string dataset = testutil::CopyDataset(
      kSample, dir_ / "dataset",
      {{"tarn_client.txt", testutil::ReadFile(hostile + "tarn_client_names.txt") +
                               "\nname: <script>alert('x')</script>&amp;\nserver: nwsrv01;\ngroup: UNIX_Daily;\n"
                               "save set: /x;\nbackup type: Other;\nclient OS type: Linux;\nlicensed PSPs: ;\n"},
       {"tarn_jobs_unix_daily.txt",
        testutil::ReadFile(hostile + "tarn_jobs_names.txt") +
            "UNIX_Daily,<script>alert('x')</script>&amp,/x,full,1795000000,99999999999999,x,1,v,l,1,B\n"}});
  int status = Discover({"--replay", dataset, "--out", Out()});
  ASSERT_TRUE(status == 0 || status == 1) << output_;
  std::string html = testutil::ReadFile(Out() + "/report.html");
  EXPECT_EQ(html.find("<script"), std::string::npos);
  const std::string escaped = "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;amp";
  EXPECT_NE(html.find("<li>" + escaped + " / subclient1</li>"), std::string::npos);
  EXPECT_NE(html.find("<td>" + escaped + "</td>"), std::string::npos);  // largest clients
  EXPECT_NE(html.find("<li>a/b\\c / subclient1</li>"), std::string::npos);
  EXPECT_EQ(HtmlErrors(html), std::vector<std::string>{});
  const std::string json = testutil::ReadFile(Out() + "/summary.json");
  EXPECT_NE(json.find("a/b\\\\c / subclient1"), std::string::npos) << json;
  EXPECT_NE(json.find("\"topClients\": [{\"client\": \"<script>alert('x')</script>&amp\""), std::string::npos) << json;
}

// A real browser loads the page from disk and takes a screenshot at 1280 px,
// with no console message (the page has no script and loads nothing).
TEST_F(Report, HeadlessBrowserRendersThePage) {
  const std::string browser = "/usr/bin/chromium";
  if (!hx::FileExists(browser)) GTEST_SKIP() << browser << " is not installed";
  ASSERT_EQ(Discover({"--out", Out()}), 0) << output_;
  std::string png = dir_ / "report.png";
  int status = testutil::RunProgram(
      {browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
       "--disable-component-update", "--disable-sync", "--no-first-run", "--enable-logging=stderr",
       "--user-data-dir=" + (dir_ / "profile"), "--screenshot=" + png, "--window-size=1280,2000",
       "file://" + Out() + "/report.html"},
      {"HOME=" + dir_.path()}, &output_);
  ASSERT_EQ(status, 0) << output_;
  EXPECT_GT(testutil::ReadFile(png).size(), 10000u);
  EXPECT_EQ(output_.find("CONSOLE"), std::string::npos) << output_;
}

}  // namespace
