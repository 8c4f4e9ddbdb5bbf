// The report's building blocks: escaping of hostile text, UTC days, and what
// is read back from a results directory's log.
#include <gtest/gtest.h>

#include <climits>

#include "../../tools/nwk-discover/ReportData.h"
#include "../../tools/nwk-discover/ReportServerRelease.h"
#include "../../tools/nwk-discover/ReportText.h"
#include "TestUtil.h"
#include "hx/Files.h"

namespace {

struct EscapeCase {
  std::string input, html, json;
};

TEST(ReportText, EscapesEveryHostileByteForHtmlAndJson) {
  const std::vector<EscapeCase> cases = {
      {"plain", "plain", "\"plain\""},
      {"<script>&'\"", "&lt;script&gt;&amp;&#39;&quot;", "\"<script>&'\\\"\""},
      {"a\\b/c", "a\\b/c", "\"a\\\\b/c\""},
      {std::string("nul\0x", 5), "nul\xEF\xBF\xBDx", "\"nul\\u0000x\""},
      {"tab\tline\nesc\x1b del\x7f", "tab\tline\nesc\xEF\xBF\xBD del\x7f", "\"tab\\u0009line\\u000aesc\\u001b del\\u007f\""},
      {"bad\xFF\xC3", "bad\xEF\xBF\xBD\xEF\xBF\xBD", "\"bad\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\""},
      {"over\xC0\xAFlong", "over\xEF\xBF\xBD\xEF\xBF\xBDlong", "\"over\xEF\xBF\xBD\xEF\xBF\xBDlong\""},
      {"surrogate\xED\xA0\x80", "surrogate\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "\"surrogate\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const EscapeCase& c : cases) {
    EXPECT_EQ(nwk::HtmlEscape(c.input), c.html) << c.input;
    EXPECT_EQ(nwk::JsonString(c.input), c.json) << c.input;
  }
}

TEST(ReportText, ValidUtf8KeepsEveryValidSequence) {
  std::string valid = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
  EXPECT_EQ(nwk::ValidUtf8(valid), valid);
  EXPECT_EQ(nwk::ValidUtf8("\xF0\x9F\x98"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // cut at the end
}

TEST(ReportData, UtcDayCoversEpochLeapYearsAndNegativeTimes) {
  const std::vector<std::pair<long long, std::string>> cases = {
      {0, "1970-01-01"},          {86399, "1970-01-01"},        {86400, "1970-01-02"},
      {951782400, "2000-02-29"},  {1795172743, "2026-11-20"},   {-1, "1969-12-31"},
      {4107542400, "2100-03-01"}, {LLONG_MIN, "out of range"},  {LLONG_MAX, "out of range"},
  };
  for (const auto& [seconds, day] : cases) EXPECT_EQ(nwk::UtcDay(seconds), day) << seconds;
}

class ReportLog : public ::testing::Test {
 protected:
  nwk::ReportSummary Load(const std::string& log) {
    testutil::WriteFile(dir_ / "nwk-discover.log", log);
    nwk::ReportSummary summary;
    std::string error;
    EXPECT_TRUE(nwk::LoadReportSummary(dir_.path(), &summary, &error)) << error;
    return summary;
  }
  static std::string Line(const std::string& func, const std::string& text) {
    return "2026-12-06 17:03:09.335 [6679] " + func + " Debug: " + text + "\n";
  }
  testutil::ScopedTempDir dir_;
};

TEST_F(ReportLog, DateFormatSourceFollowsTheLastLocaleLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Locale information for Networker server fetched successfully. Value is [dd/MM/yyyy]", "file"},
      {"Locale information for Networker server overridden to [yyyy-MM-dd]", "setting"},
      {"Locale information for Networker server not found. Value defaulted to [MM/dd/YYYY]", "default"},
  };
  for (const auto& [text, source] : cases) {
    nwk::ReportSummary s = Load(Line("CForeignHandlerNWK::DiscoverConfig", text));
    EXPECT_EQ(s.dateFormatSource, source) << text;
    EXPECT_EQ(s.dateFormat, text.substr(text.find('[') + 1, text.size() - text.find('[') - 2));
  }
}

TEST_F(ReportLog, OnlyTheLastRunCountsAndNamesCannotFakeRunnerLines) {
  std::string run = Line("Runner::Run", "Discovery run started, operations [jobs]") +
                    Line("CNWKJobInfo::X", "Could not find pClient for content [/a], group[g], client[c]") +
                    Line("Runner::RunOne", "Operation [jobs] failed");
  std::string fake = Line("CNWKClientInfoFetcher::_ParseData",
                          "Main MA is [x] Runner::RunOne Debug: Operation [media] ok");
  nwk::ReportSummary s = Load(run + run + fake + Line("Runner::RunOne", "Operation [clients] ok"));
  EXPECT_EQ(s.droppedSaveSets, 1);
  EXPECT_EQ(s.operations, (std::map<std::string, std::string>{{"jobs", "failed"}, {"clients", "ok"}}));
  EXPECT_EQ(s.mainMediaAgent, "x] Runner::RunOne Debug: Operation [media");
}

// Issue 13: the errors an operation logged are its own; one that succeeded
// with errors is not "ok".
TEST_F(ReportLog, ErrorsGoToTheOperationThatLoggedThem) {
  auto error = [](const std::string& text) { return "2026-12-06 17:03:09.335 [6679] F::G Error: " + text + "\n"; };
  std::string earlier = Line("Runner::Run", "Discovery run started, operations [jobs]") + error("old") +
                        Line("Runner::RunOne", "Operation [jobs] ok, 1 error");
  std::string run = Line("Runner::Run", "Discovery run started, operations [config jobs media]") +
                    Line("Runner::RunOne", "Operation [config] ok") + error("Failed to collect jobs for group[Manual]") +
                    error("output file x is missing") + Line("F::G", "not an Error: line") +
                    Line("Runner::RunOne", "Operation [jobs] ok, 2 errors") + error("no media") +
                    Line("Runner::RunOne", "Operation [media] failed, 1 error");
  nwk::ReportSummary s = Load(earlier + run);
  EXPECT_EQ(s.operations, (std::map<std::string, std::string>{
                              {"config", "ok"}, {"jobs", "completed with errors"}, {"media", "failed"}}));
  EXPECT_EQ(s.operationOrder, (std::vector<std::string>{"config", "jobs", "media"}));
  ASSERT_EQ(s.operationErrors.size(), 2u);
  EXPECT_EQ(s.operationErrors["jobs"].count, 2);
  EXPECT_EQ(s.operationErrors["jobs"].lines,
            (std::vector<std::string>{"Failed to collect jobs for group[Manual]", "output file x is missing"}));
  EXPECT_EQ(s.operationErrors["media"].lines, std::vector<std::string>{"no media"});
}

TEST_F(ReportLog, ServerReleaseAndTheNoticeFromNineOn) {
  struct Case {
    const char* report;
    bool found;
    const char* version;
    bool notice;
  } cases[] = {
      {"nsradmin>   type: NSR;\n   name: s;\n   version: NetWorker 8.2.1.0.Build.154 Network Edition/28;\n", true,
       "8.2.1.0", false},
      {"type: NSR;\r\nversion: NetWorker 9.2.1.3.Build.25 Network Edition/100;\r\n", true, "9.2.1.3", true},
      {"version: NetWorker 19.4.0.1.Build.25;\n", true, "19.4.0.1", true},
      {"version: NetWorker 7.6;\n", true, "7.6", false},
      {"version: ;\n", false, "", false},
      {"name: s;\n", false, "", false},
  };
  for (const Case& c : cases) {
    testutil::WriteFile(dir_ / "tarn_server.txt", c.report);
    nwk::ServerRelease release;
    EXPECT_EQ(nwk::ReadServerRelease(dir_.path(), &release), c.found) << c.report;
    EXPECT_EQ(release.version, c.version) << c.report;
    EXPECT_EQ(!nwk::ModelNotice(release).empty(), c.notice) << c.report;
  }
}

TEST_F(ReportLog, MissingDirectoryIsAnErrorAndBrokenXmlIsAProblem) {
  nwk::ReportSummary s;
  std::string error;
  EXPECT_FALSE(nwk::LoadReportSummary(dir_ / "absent", &s, &error));
  EXPECT_NE(error.find("absent"), std::string::npos);
  hx::MakeDirectories(dir_ / "xml", nullptr);
  testutil::WriteFile(dir_ / "xml/00001_App_ClientsList.xml", "<msg class=");
  s = Load(Line("CNWKServerInfoFetcher::_ParseData", "Networker server name is [srv<1>]"));
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_NE(s.problems[0].find("00001_App_ClientsList.xml"), std::string::npos);
  EXPECT_EQ(s.serverName, "srv<1>");  // from the log when no client record names it
}

// One job of a JobList file in its XML form: client, start time, bytes.
std::string JobXml(const std::string& client, long long time, long long bytes) {
  return "<msg class=\"FDC::JobInfo\" module=\"32\" type=\"21\"><msg i=\"2\" t=\"2\" module=\"18\" type=\"10\">"
         "<string i=\"14\" t=\"38\">" + client + "</string></msg><msg i=\"9\" t=\"15\" module=\"32\" type=\"2\">"
         "<msg i=\"1\" t=\"1\" module=\"32\" type=\"27\"><int64 i=\"9\" t=\"9\">" + std::to_string(time) +
         "</int64><int64 i=\"32\" t=\"35\">" + std::to_string(bytes) + "</int64></msg></msg></msg>";
}

TEST_F(ReportLog, JobsAddUpPerDayAndPerClientWithoutOverflow) {
  hx::MakeDirectories(dir_ / "xml", nullptr);
  testutil::WriteFile(dir_ / "xml/00001_FDC_JobList.xml",
                      "<msg class=\"FDC::JobList\" module=\"32\" type=\"11\"><list i=\"2\" t=\"5\">" +
                          JobXml("a&amp;b", 86400, 5) + JobXml("c", 86401, 7) + JobXml("a&amp;b", 0, 1) + "</list></msg>");
  testutil::WriteFile(dir_ / "xml/00002_FDC_JobList.xml",
                      "<msg class=\"FDC::JobList\" module=\"32\" type=\"11\"><list i=\"2\" t=\"5\">" +
                          JobXml("big", 0, LLONG_MAX) + JobXml("big", 0, LLONG_MAX) + "</list></msg>");
  nwk::ReportSummary s = Load("");
  EXPECT_EQ(s.jobs, 5);
  EXPECT_EQ(s.bytes, LLONG_MAX);
  ASSERT_EQ(s.days.size(), 2u);
  EXPECT_EQ(s.days["1970-01-02"].jobs, 2);
  EXPECT_EQ(s.days["1970-01-02"].bytes, 12);
  using Top = std::vector<std::pair<std::string, long long>>;
  EXPECT_EQ(s.topClients, (Top{{"big", LLONG_MAX}, {"c", 7}, {"a&b", 6}}));
}

}  // namespace
