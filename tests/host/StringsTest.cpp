// Host string helpers: list splitting, C-style number reading, safe names.
#include "hx/Strings.h"

#include <gtest/gtest.h>

namespace {

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += "[" + p + "]";
  return out;
}

TEST(SplitLine, PiecesAreTrimmedAndEmptyPiecesKept) {
  struct Case { const char* line; char sep; char escape; const char* want; } cases[] = {
      {"", ',', 0, ""},
      {"a, b ,\tc", ',', 0, "[a][b][c]"},          // NetWorker prints lists as "a, b"
      {"a,,b,", ',', 0, "[a][][b][]"},
      {"x\\,y,z", ',', '\\', "[x,y][z]"},           // escape makes the separator literal
      {"x\\\\y", ',', '\\', "[x\\y]"},
      {"trailing\\", ',', '\\', "[trailing\\]"},    // an escape at the end stays
      {"a\x12" "b", '\x12', 0, "[a][b]"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> parts{"stale"};
    hx::SplitLine(c.line, parts, c.sep, c.escape);
    EXPECT_EQ(Joined(parts), c.want) << "line: " << c.line;
  }
}

TEST(ParseLeadingInteger, BehavesLikeAtolWithoutItsUndefinedCases) {
  struct Case { const char* text; bool ok; long long want; } cases[] = {
      {"42", true, 42},        {"  -7x", true, -7},   {"+3", true, 3},
      {"", false, 0},          {"abc", false, 0},     {" - 1", false, 0},
      {"1234567890123", true, 1234567890123LL},
      {"99999999999999999999", true, 9223372036854775807LL},     // saturates
      {"-99999999999999999999", true, (-9223372036854775807LL - 1)},
  };
  for (const Case& c : cases) {
    long long value = -1;
    EXPECT_EQ(hx::ParseLeadingInteger(c.text, &value), c.ok) << c.text;
    EXPECT_EQ(value, c.want) << c.text;
  }
}

TEST(SafeFileName, EncodesOnlyWhatCouldEscapeTheDirectory) {
  struct Case { const char* name; const char* want; } cases[] = {
      {"client01.lab.local", "client01.lab.local"},
      {"../x", "%2E.%2Fx"},
      {"C:\\temp", "C:%5Ctemp"},
      {".hidden", "%2Ehidden"},
      {"tab\there", "tab%09here"},
      {"", "%"},
      {"$(touch x) `y` \"q\"", "$(touch x) `y` \"q\""},
  };
  for (const Case& c : cases) EXPECT_EQ(hx::SafeFileName(c.name), c.want) << c.name;
}

}  // namespace
