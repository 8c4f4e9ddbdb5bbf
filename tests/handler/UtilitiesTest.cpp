// Handler text and line utilities, on the inputs NetWorker reports give.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "handler/CForeignHandlerNWK.h"
#include "handler/ReportReader.h"
#include "handler/TextUtils.h"
#include "hx/Log.h"

namespace {

using H = CForeignHandlerNWK;

TEST(GetAttributeValue, CutsAfterSeparatorAndItsBlanksThenTrimsBlanksAndSemicolons) {
  struct Case { const char* line; const char* want; } cases[] = {
      {"name: backup1;", "backup1"},
      {"   name: backup1;  ", "backup1"},
      {"devices: a, b,", "a, b,"},                 // only blanks and semicolons go
      {"start time: \"22:59\";", "\"22:59\""},     // quotes stay for the caller
      {"name: ;", ""},
      {"no separator here", ""},                   // mended: no value, not garbage
      {"name:", ""},                               // mended: separator last
      {"Parallel save streams per save set: Disabled;", "Disabled"},
      // issue 13: no blank after the colon loses no character; several blanks or a tab are skipped
      {"name:BRS2GODAG.brslab.local;", "BRS2GODAG.brslab.local"},
      {"name:   x;", "x"},
      {"name:\tx;", "x"},
      {"name:;", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(H::GetAttributeValue(c.line, ':'), c.want) << c.line;
}

TEST(HandlerTrim, DropsLeadingBlanksButNeverTheLastCharacter) {
  struct Case { const char* in; const char* want; } cases[] = {
      {"   ", " "}, {"  a ", "a "}, {"x", "x"}, {"", ""}, {" Daily", "Daily"},
  };
  for (const Case& c : cases) {
    std::string s = c.in;
    EXPECT_EQ(H::Trim(s), c.want);
    EXPECT_EQ(s, c.want);
  }
}

TEST(StartsWith, ComparesOverTheShorterLength) {
  EXPECT_TRUE(StartsWith("name: x;", "name"));
  EXPECT_TRUE(StartsWith("na", "name"));
  EXPECT_TRUE(StartsWith("", "name"));
  EXPECT_FALSE(StartsWith("nbme", "name"));
}

TEST(ClockTime, ConvertsBothWays) {
  EXPECT_EQ(StrToUnixTime("22:30"), 81000u);
  EXPECT_EQ(StrToUnixTime("\"22:30\""), 81000u);
  EXPECT_EQ(StrToUnixTime(""), 0u);
  EXPECT_EQ(StrToUnixTime("7:05"), 7u * 3600 + 5 * 60);
  EXPECT_EQ(UnixTimeToStr(81000), "22:30");
  EXPECT_EQ(UnixTimeToStr(3660), "1:1");
  EXPECT_EQ(UnixTimeToStr(75600), "21:0");
}

TEST(FindReplace, NeverSearchesInsertedText) {
  std::string s = "a\\\\b\\\\\\\\c";
  FindReplace(s, "\\\\", "\\");
  EXPECT_EQ(s, "a\\b\\\\c");
  s = "aaa";
  FindReplace(s, "a", "aa");
  EXPECT_EQ(s, "aaaaaa");
}

TEST(LineReaders, TrimBlanksDropCarriageReturnsAndSkipBlankLines) {
  testutil::ScopedTempDir dir;
  testutil::WriteFile(dir / "r.txt", "  \r\n   name: a;\r\n\n\t\n  x  \n");
  std::ifstream in(dir / "r.txt");
  std::vector<std::string> lines;
  EXPECT_FALSE(H::ReadNLinesFromFile(in, lines, 1));
  EXPECT_EQ(lines, std::vector<std::string>{"name: a;"});
  EXPECT_FALSE(H::ReadNLinesFromFile(in, lines, 5));
  EXPECT_EQ(lines, (std::vector<std::string>{"\t", "x"}));  // only blanks are trimmed
  EXPECT_TRUE(H::ReadNLinesFromFile(in, lines, 1));
  EXPECT_TRUE(lines.empty());

  std::ifstream closed;
  EXPECT_TRUE(H::ReadNLinesFromFile(closed, lines, 1));

  H::ParseCommandOutputFile(dir / "r.txt", lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"", "name: a;", "", "\t", "x"}));
  H::ParseCommandOutputFile(dir / "missing.txt", lines);
  EXPECT_TRUE(lines.empty());
}

TEST(ReportReader, NamesReportAndLine) {
  ReportReader reader("\n  a;\r\n\n b\n", "tarn_x.txt");
  std::string line;
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(line, "a;");
  EXPECT_EQ(reader.Where(), "tarn_x.txt:2");
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(reader.Where(), "tarn_x.txt:4");
  EXPECT_FALSE(reader.Next(&line));
}

TEST(ReportReader, PassesOverLinesBeyondTheLimitAndSaysWhere) {
  hx::LogSink::SetCapture(true);
  std::string text = "name: a;\n" + std::string(ReportReader::kMaxLineBytes + 1, 'x') + "\nname: b;";
  ReportReader reader(text, "tarn_client.txt");
  std::string line;
  ASSERT_TRUE(reader.Next(&line));
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(line, "name: b;");
  EXPECT_NE(hx::LogSink::Captured().find("tarn_client.txt:2: line of 4194305 bytes passed over"), std::string::npos);
  hx::LogSink::SetCapture(false);
}

TEST(ReportReader, DropsCarriageReturnsAndThePrompt) {
  // Saved twice on Windows: CR CR LF, or CR then a blank; nsradmin's prompt
  // stands before the first resource's first line and alone at the end.
  ReportReader reader("nsradmin>     name: a;\r\r\nsave set: b \r \r\n\r\nnsradmin> \r\n", "r");
  std::string line;
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(line, "name: a;");
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(line, "save set: b");
  EXPECT_FALSE(reader.Next(&line));
}

// "line number:text", with a '*' before the lines that start a resource.
std::vector<std::string> ReadAll(const std::string& text, ReportReader::Layout layout) {
  ReportReader reader(text, "r", layout);
  std::vector<std::string> out;
  std::string line;
  while (reader.Next(&line))
    out.push_back((reader.startsResource() ? "*" : "") + std::to_string(reader.lineNumber()) + ":" + line);
  return out;
}

TEST(ReportReader, ResourcesAreReadNameFirstWhereATypeLineIsPrinted) {
  using L = std::vector<std::string>;
  struct Case {
    const char* what;
    const char* text;
    L want;
  } cases[] = {
      {"usual order: as printed", "type: NSR group;\nname: A;\ninterval: 1:00;\n\ntype: NSR group;\nname: B;\n",
       {"*1:type: NSR group;", "2:name: A;", "3:interval: 1:00;", "*5:type: NSR group;", "6:name: B;"}},
      {"alphabetical: what precedes the name ends its resource",
       "type: NSR group;\nautostart: On;\nclone pool: \\\nP1;\nname: A;\ninterval: 1:00;\n\n"
       "type: NSR group;\ninterval: 2:00;\nname: B;\nschedule: S;\n",
       {"*1:type: NSR group;", "5:name: A;", "6:interval: 1:00;", "2:autostart: On;", "3:clone pool: \\", "4:P1;",
        "*8:type: NSR group;", "10:name: B;", "11:schedule: S;", "9:interval: 2:00;"}},
      {"a resource without a name keeps its order", "type: NSR;\na: 1;\ntype: NSR;\nb: 2;\nname: B;",
       {"*1:type: NSR;", "2:a: 1;", "*3:type: NSR;", "5:name: B;", "4:b: 2;"}},
      {"no type line: as printed, each name starts a resource", "a: 1;\nname: A;\nb: 2;\n\nname: B;\n",
       {"1:a: 1;", "*2:name: A;", "3:b: 2;", "*5:name: B;"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAll(c.text, ReportReader::Layout::kResources), c.want) << c.what;
  }
  // A plain report is never reordered.
  EXPECT_EQ(ReadAll("type: x\nb\nname: y\n", ReportReader::Layout::kLines), (L{"1:type: x", "2:b", "3:name: y"}));
}

TEST(GenerateZonarName, UsesServerNameElseHostName) {
  CForeignHandlerNWK handler;
  H::set_NWKServerName("");
  char host[65] = {};
  gethostname(host, sizeof host - 1);
  EXPECT_EQ(handler.GenerateZonarName(), std::string("NETWORKER_") + host);
  H::set_NWKServerName("nwsrv01");
  EXPECT_EQ(handler.GenerateZonarName(), "NETWORKER_nwsrv01");
  H::set_NWKServerName("");
}

TEST(TrivialOperations, AnswerSuccessAndChangeNothing) {
  CForeignHandlerNWK handler;
  CNMessageBase msg(32, 74);
  EXPECT_EQ(handler.RetrieveMetadata(), 1);
  EXPECT_EQ(handler.DoRestore(&msg), 1);
  EXPECT_EQ(handler.DoRestore(nullptr), 1);
  EXPECT_EQ(handler.DiscoverStoragePolicies(&msg), 1);
  EXPECT_EQ(msg.fieldCount(), 0u);
  EXPECT_TRUE(handler.clients().empty());
}

}  // namespace
