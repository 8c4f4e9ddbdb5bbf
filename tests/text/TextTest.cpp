// Text and line utilities, on the inputs NetWorker reports give.
#include <gtest/gtest.h>
#include <unistd.h>

#include "TestUtil.h"
#include "handler/CForeignHandlerNWK.h"
#include "text/ReportReader.h"
#include "text/TextUtils.h"
#include "hx/Log.h"

namespace {

using H = CForeignHandlerNWK;

TEST(GetAttributeValue, CutsAfterSeparatorAndItsBlanksThenTrimsBlanksAndSemicolons) {
  struct Case { const char* line; const char* want; } cases[] = {
      {"name: backup1;", "backup1"},
      {"devices: a, b,", "a, b,"},                 // only blanks and semicolons go
      {"start time: \"22:59\";", "\"22:59\""},     // quotes stay for the caller
      {"name: ;", ""},
      {"no separator here", ""},                   // mended: no value, not garbage
      {"Parallel save streams per save set: Disabled;", "Disabled"},
      // issue 13: no blank after the colon loses no character; several blanks or a tab are skipped
      {"name:BRS2GODAG.brslab.local;", "BRS2GODAG.brslab.local"},
      {"name:\tx;", "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(H::GetAttributeValue(c.line, ':'), c.want) << c.line;
}

// Quirks callers rely on: Trim drops leading blanks but never the last
// character, StartsWith compares over the shorter length, FindReplace never
// searches what it inserted, clock times come back without padding.
TEST(SmallHelpers, KeepTheirQuirks) {
  for (auto [in, want] : {std::pair{"   ", " "}, {"  a ", "a "}, {"", ""}}) {
    std::string s = in;
    EXPECT_EQ(H::Trim(s), want);
    EXPECT_EQ(s, want);
  }
  EXPECT_TRUE(StartsWith("na", "name") && StartsWith("", "name") && !StartsWith("nbme", "name"));
  std::string s = "a\\\\\\\\b";
  FindReplace(s, "\\\\", "\\");
  EXPECT_EQ(s, "a\\\\b");
  EXPECT_EQ(StrToUnixTime("\"22:30\""), 81000u);
  EXPECT_EQ(StrToUnixTime("7:05"), 7u * 3600 + 5 * 60);
  EXPECT_EQ(StrToUnixTime(""), 0u);
  EXPECT_EQ(UnixTimeToStr(3660), "1:1");
  EXPECT_EQ(UnixTimeToStr(81000), "22:30");
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
  ReportReader reader(text, "tarn_x.txt", ReportReader::Layout::kLines, &given);
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

// A report file is read in chunks: lines across chunk ends, lines longer than
// a chunk and lines beyond the limit read as the same text in memory does.
TEST(ReportReader, AFileReadsLikeTheSameTextInMemory) {
  const std::string chunkLong(ReportReader::kChunkBytes + 7, 'c'), overLimit(ReportReader::kMaxLineBytes + 9, 'x');
  const std::string texts[] = {
      "",
      "no line feed at the end",
      "a;\r\n\n b\n",
      std::string(ReportReader::kChunkBytes - 1, 'p') + "\nacross the chunk end\n",
      "name: a;\n" + chunkLong + "\nname: b;",
      "name: a;\n" + overLimit + "\nname: b;\n" + overLimit,
  };
  auto read = [](const ReportText& text) {
    ReportReader reader(text, "r");
    std::vector<std::string> lines;
    for (std::string line; reader.Next(&line);) lines.push_back(std::to_string(reader.lineNumber()) + ":" + line);
    return lines;
  };
  testutil::ScopedTempDir dir;
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    testutil::WriteFile(dir / "r.txt", text);
    const ReportText file = ReportText::File(dir / "r.txt");
    EXPECT_EQ(read(file), read(text));
    EXPECT_EQ(file.readError(), "");
  }
}

// Another run, or a replay source changing underneath, may cut a report short
// while it is read: the rest is missing, the reader says so, nothing crashes.
TEST(ReportReader, AFileCutShortWhileReadIsAReadError) {
  hx::LogSink::SetCapture(true);
  testutil::ScopedTempDir dir;
  const std::string path = dir / "tarn_jobs.txt";
  std::string text;
  while (text.size() < 3 * ReportReader::kChunkBytes) text += "client1 Daily /data 1700000000 100 2 full VOL1\n";
  testutil::WriteFile(path, text);
  const ReportText file = ReportText::File(path);
  ReportReader reader(file, "tarn_jobs.txt");
  std::string line;
  ASSERT_TRUE(reader.Next(&line));
  ASSERT_EQ(truncate(path.c_str(), 100), 0);
  size_t lines = 1;
  while (reader.Next(&line)) ++lines;
  EXPECT_LT(lines * 48, text.size());
  EXPECT_NE(file.readError().find("tarn_jobs.txt: read error: the report ended at byte"), std::string::npos)
      << file.readError();
  EXPECT_NE(file.readError().find("(it shrank while it was read)"), std::string::npos);
  EXPECT_NE(hx::LogSink::Captured().find(file.readError()), std::string::npos);
  hx::LogSink::SetCapture(false);
}

// "line number:text", with a '*' before the lines that start a resource.
std::vector<std::string> ReadAll(const ReportText& text, ReportReader::Layout layout) {
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
      {"nsradmin's prompts and Windows' doubled CR go", "nsradmin>   type: NSR;\r\r\nname: A;\r\nnsradmin> \r\n",
       {"*1:type: NSR;", "2:name: A;"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAll(c.text, ReportReader::Layout::kResources), c.want) << c.what;
  }
  // A plain report is never reordered.
  EXPECT_EQ(ReadAll("type: x\nb\nname: y\n", ReportReader::Layout::kLines), (L{"1:type: x", "2:b", "3:name: y"}));
}

}  // namespace
