// The report's building blocks: escaping of hostile text, UTC days, and what
// is read back from a results directory's records and log.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "../../tools/nwk-discover/EstateAssembler.h"
#include "../../tools/nwk-discover/EstateReader.h"
#include "../../tools/nwk-discover/ReportData.h"
#include "../../tools/nwk-discover/ReportServerRelease.h"
#include "../../tools/nwk-discover/ReportText.h"
#include "TestUtil.h"
#include "fields/RunRecords.h"
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
  nwk::ReportSummary Load(const std::string& log, const std::vector<std::vector<std::string>>& recs = {}) {
    testutil::WriteFile(dir_ / "nwk-discover.log", log);
    std::string text;
    for (const auto& r : recs) text += records::Encode(r);
    testutil::WriteFile(dir_ / records::kFileName, text);
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

TEST_F(ReportLog, FactsDropsAndSkipsComeFromTheRecordsWhateverTheirText) {
  std::string hostile = "x]\tRunner::RunOne Debug: Operation [media] ok\n";
  nwk::ReportSummary s = Load("", {{records::kFact, records::kDateFormat, "dd/MM/yyyy", "setting"},
                                   {records::kFact, records::kMainMediaAgent, hostile, "tarn_client.txt"},
                                   {records::kFact, records::kServerName, "srv<1>", "tarn_server.txt"},
                                   {records::kDroppedSaveSet, "c", "g", "/a", records::kNoClient},
                                   {records::kDroppedSaveSet, "c", "g", "/b", records::kNoResource},
                                   {records::kSkippedResource, "c", "p", "group [g] is not known"},
                                   {"a kind of later versions"}, {records::kFact}});
  EXPECT_EQ(s.dateFormat, "dd/MM/yyyy");
  EXPECT_EQ(s.dateFormatSource, "setting");
  EXPECT_EQ(s.mainMediaAgent, hostile);
  EXPECT_EQ(s.serverName, "srv<1>");  // from the records when no client record names it
  EXPECT_EQ(s.droppedSaveSets, 2);
  EXPECT_EQ(s.skippedSchedules, std::vector<std::string>{"[p] client [c]: group [g] is not known"});
  EXPECT_TRUE(s.operations.empty());
}

TEST_F(ReportLog, OnlyTheLastRunCountsAndNamesCannotFakeRunnerLines) {
  std::string run = Line("Runner::Run", "Discovery run started, operations [jobs]") +
                    Line("Runner::RunOne", "Operation [jobs] failed");
  std::string fake = Line("CNWKClientInfoFetcher::_ParseData", "Main MA is [x] Runner::RunOne Debug: Operation [media] ok");
  nwk::ReportSummary s = Load(Line("Runner::RunOne", "Operation [media] ok") + run + fake +
                              Line("Runner::RunOne", "Operation [clients] ok"));
  EXPECT_EQ(s.operations, (std::map<std::string, std::string>{{"jobs", "failed"}, {"clients", "ok"}}));
  EXPECT_EQ(s.mainMediaAgent, "");  // log sentences are no source of facts
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
      {"version: ;\n", false, "", false},
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
  s = Load("");
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_NE(s.problems[0].find("00001_App_ClientsList.xml"), std::string::npos);
}

// The rebuild's reader takes any layout of the same document, and names the
// line of what it cannot take; rows before the fault still count.
TEST_F(ReportLog, JobListsReadInAnyLayoutAndFaultsNameTheirLine) {
  const std::string job = "<msg module='32' type='21'><msg i='2' t='2' module='18' type='10'><string i='14' t='38'>";
  const std::string rest = "</string></msg><msg i=\"9\" t=\"15\" module=\"32\" type=\"2\"><msg i=\"1\" t=\"1\" module=\"32\" "
                           "type=\"27\"><int64 i=\"32\" t=\"35\">5</int64></msg></msg></msg>";
  const std::string head = "<?xml version=\"1.0\"?>\n<!-- c -->\n<msg class=\"FDC::JobList\" module=\"32\" type=\"11\">\n";
  const struct {
    std::string body;    // inside the list element
    long long jobs;
    std::string clients;  // by bytes, largest first
    std::string problem;  // "" or where the fault is told
  } kCases[] = {
      {job + "a&amp;b&#x3C;&#62;" + rest, 1, "a&b<>", ""},
      {job + "<![CDATA[a<b]]>" + rest + "<!-- x --><?pi ?>" + job + rest, 2, ",a<b", ""},
      {"<msg module='32' type='21' note='>'><msg i='2' t='2'><string i='14' t='38' x=\"'\">c</string></msg></msg>", 1,
       "c", ""},
      {"<msg module='32' type='21'><msg i='3' t='3'><msg i='14' t='38'><string i='14' t='38'>n</string></msg></msg>"
       "<int64 i='2'>x</int64><list i='8' t='8'/></msg>", 1, "", ""},  // fields off the way are passed over
      {job + "c" + rest + "\n" + job + "d&nbsp;" + rest, 1, "c", "line 6: an unknown entity"},
      {job + "c" + rest + "\n\n" + job + "</msg>", 1, "c", "line 7: </msg> closes <string>"},
      {job + "c" + rest + "\n<msg module='32' type='21'><msg i='1'><x></y></msg></msg>", 2, "c,", ""},  // nesting only
      {job + "c" + rest + "\n<msg i='1'", 1, "c", "line 6: an attribute without a value"},
      {"<!DOCTYPE x>", 0, "", "line 5: a document type declaration is not accepted"},
  };
  hx::MakeDirectories(dir_ / "xml", nullptr);
  for (const auto& c : kCases) {
    testutil::WriteFile(dir_ / "xml/00001_FDC_JobList.xml", head + "<list i='2' t='5'>\n" + c.body + "</list></msg>\n");
    nwk::ReportSummary s = Load("");
    EXPECT_EQ(s.jobs, c.jobs) << c.body;
    std::string clients;
    for (std::size_t n = 0; n < s.topClients.size(); ++n) clients += (n ? "," : "") + s.topClients[n].first;
    EXPECT_EQ(clients, c.clients) << c.body;
    if (c.problem.empty()) EXPECT_EQ(s.problems, std::vector<std::string>{}) << c.body;
    else EXPECT_TRUE(s.problems.size() == 1 && s.problems[0].find(c.problem) != std::string::npos)
        << c.body << "\n" << (s.problems.empty() ? "no problem" : s.problems[0]);
  }
}

// Files are read in the order they were numbered, past 99999 too.
TEST_F(ReportLog, MessagesAreReadInTheirNumbersOrder) {
  hx::MakeDirectories(dir_ / "xml", nullptr);
  for (std::string number : {"99999", "100000", "00002"})
    testutil::WriteFile(dir_ / ("xml/" + number + "_TMMsg_CreateTaskReq.xml"),
                        "<msg module='12' type='175'><msg i='2' t='2' module='12' type='40'><msg i='1' t='1' module='12' "
                        "type='367'><string i='2' t='2'>p" + number + "</string></msg></msg></msg>");
  nwk::ReportSummary s = Load("");
  ASSERT_EQ(s.schedules.size(), 3u);
  EXPECT_EQ(s.schedules[0].name + " " + s.schedules[1].name + " " + s.schedules[2].name, "p00002 p99999 p100000");
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

// Job lists are read on two threads; rows and problems still come out in file
// order, whatever the lists' sizes and however little may be read ahead.
TEST_F(ReportLog, JobListsReadOnTwoThreadsComeOutInFileOrder) {
  struct Recorder : nwk::EstateSink {
    void Job(const nwk::JobRow& row) override { seen += row.client + " " + std::to_string(row.startTime) + "\n"; }
    void Problem(const std::string& text) override { seen += "problem " + text.substr(text.rfind('/') + 1, 5) + "\n"; }
    std::string seen;
  };
  hx::MakeDirectories(dir_ / "xml", nullptr);
  std::string expected;
  for (int n = 1; n <= 30; ++n) {
    std::string number = std::to_string(100000 + n).substr(1), body;
    int jobs = n % 4 == 1 ? 2000 : n % 3;  // a large list now and then, some empty
    for (int j = 0; j < jobs; ++j) {
      body += JobXml("c" + number, j, 1);
      expected += "c" + number + " " + std::to_string(j) + "\n";
    }
    if (n % 7 == 0) body += "<msg", expected += "problem " + number + "\n";  // rows before the fault count
    testutil::WriteFile(dir_ / ("xml/" + number + "_FDC_JobList.xml"),
                        "<msg class=\"FDC::JobList\" module=\"32\" type=\"11\"><list i=\"2\" t=\"5\">" + body +
                            (n % 7 == 0 ? "" : "</list></msg>"));
  }
  testutil::WriteFile(dir_ / "nwk-discover.log", "");
  for (std::uint64_t ahead : {std::uint64_t{1}, std::uint64_t{200000}, std::uint64_t{1} << 30}) {
    Recorder rows;
    std::string error;
    ASSERT_TRUE(nwk::ReadEstate(dir_.path(), rows, &error, ahead)) << error;
    std::size_t at = std::mismatch(rows.seen.begin(), rows.seen.end(), expected.begin(), expected.end()).first -
                     rows.seen.begin();
    EXPECT_EQ(at, expected.size()) << "reading at most " << ahead << " bytes ahead, rows differ from\n"
                                   << expected.substr(at, 40) << "\nas\n" << rows.seen.substr(at, 40);
  }
}

}  // namespace
