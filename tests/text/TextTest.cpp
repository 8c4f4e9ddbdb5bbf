// Text and line utilities, on the inputs NetWorker reports give.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "handler/CForeignHandlerNWK.h"
#include "text/ReportReader.h"
#include "text/TextUtils.h"
#include "hx/Log.h"

namespace {

using H = CForeignHandlerNWK;

TEST(GetAttributeValue, CutsAfterSeparatorAndBlankThenTrimsBlanksAndSemicolons) {
  struct Case { const char* line; const char* want; } cases[] = {
      {"name: backup1;", "backup1"},
      {"   name: backup1;  ", "backup1"},
      {"devices: a, b,", "a, b,"},                 // only blanks and semicolons go
      {"start time: \"22:59\";", "\"22:59\""},     // quotes stay for the caller
      {"name: ;", ""},
      {"no separator here", ""},                   // mended: no value, not garbage
      {"name:", ""},                               // mended: separator last
      {"Parallel save streams per save set: Disabled;", "Disabled"},
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

// Reports what it passes over (report, line, reason) to the reporter it
// was given, else to the one in scope, else to the log.
TEST(ReportReader, NamesReportAndLineAndReportsLinesBeyondTheLimit) {
  struct Recorder : LineReporter {
    void PassedOver(const std::string& report, size_t line, const std::string& reason) override {
      seen += report + ":" + std::to_string(line) + " " + reason + ";";
    }
    std::string seen;
  } given, scoped;
  std::string text = "\n  a;\r\n" + std::string(ReportReader::kMaxLineBytes + 1, 'x') + "\n b\n";
  ReportReader reader(text, "tarn_x.txt", &given);
  std::string line;
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(line, "a;");
  EXPECT_EQ(reader.Where(), "tarn_x.txt:2");
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ(reader.Where(), "tarn_x.txt:4");
  EXPECT_FALSE(reader.Next(&line));
  EXPECT_EQ(given.seen, "tarn_x.txt:3 line of 4194305 bytes passed over (longer than 4194304);");
  {
    ScopedLineReporter scope(&scoped);
    ReportReader inScope(text, "tarn_y.txt");
    while (inScope.Next(&line)) continue;
  }
  EXPECT_EQ(scoped.seen, "tarn_y.txt:3 line of 4194305 bytes passed over (longer than 4194304);");
  hx::LogSink::SetCapture(true);
  ReportReader logged(text, "tarn_client.txt");
  while (logged.Next(&line)) continue;
  EXPECT_NE(hx::LogSink::Captured().find("tarn_client.txt:3: line of 4194305 bytes passed over"), std::string::npos);
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

}  // namespace
