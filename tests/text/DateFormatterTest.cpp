// Dates in the server's locale format.
#include "text/CNWKDateFormatter.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
  const char* format;
  const char* date;
  bool ok;
  int year, month, day;  // wanted when ok
};

int CenturyBase() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return ((local.tm_year + 1900) / 100) * 100;
}

TEST(DateFormatter, ReadsFieldsInFormatOrder) {
  const int c = CenturyBase();
  DateCase cases[] = {
      {"MM/dd/YYYY", "12/31/2025", true, 2025, 12, 31},
      {"dd.MM.yy", "05.12.26", true, c + 26, 12, 5},
      {"M/d/yyyy", "1/2/2027", true, 2027, 1, 2},
      {"yyyy-MM-dd", "2026-11-30", true, 2026, 11, 30},
      {"MM/dd/YYYY", "12-31-2025", false, 0, 0, 0},     // delimiter missing
      {"MM/dd/YYYY", "13/01/2025", false, 0, 0, 0},     // mended: month out of range
      {"MM/dd/YYYY", "02/32/2025", false, 0, 0, 0},     // mended: day out of range
      {"MM/dd/YYYY", "undef", false, 0, 0, 0},
      {"dd/MM/yyyy", "31/12/99999999999", false, 0, 0, 0},  // absurd year
      {"dd/MM/yyyy", "17/02/", false, 0, 0, 0},             // cut short: no year, not 2000
      {"dd/MM/yyyy", "17/xx/2027", false, 0, 0, 0},
  };
  for (const DateCase& k : cases) {
    CNWKDateFormatter formatter(k.format);
    tm out{};
    unsigned long stamp = 0;
    bool ok = formatter.GetTMStruct(k.date, "00:00", false, &out, &stamp);
    EXPECT_EQ(ok, k.ok) << k.format << " " << k.date;
    if (!ok || !k.ok) continue;
    EXPECT_EQ(out.tm_year + 1900, k.year) << k.date;
    EXPECT_EQ(out.tm_mon + 1, k.month) << k.date;
    EXPECT_EQ(out.tm_mday, k.day) << k.date;
    EXPECT_EQ(out.tm_hour, 0);
    EXPECT_NE(stamp, 0u);
  }
}

TEST(DateFormatter, StampIsLocalMidnight) {
  CNWKDateFormatter formatter("MM/dd/YYYY");
  tm out{};
  unsigned long stamp = 0;
  ASSERT_TRUE(formatter.GetTMStruct("12/31/2025", "", false, &out, &stamp));
  time_t t = static_cast<time_t>(stamp);
  tm back{};
  localtime_r(&t, &back);
  EXPECT_EQ(back.tm_mday, 31);
  EXPECT_EQ(back.tm_mon, 11);
}

}  // namespace
