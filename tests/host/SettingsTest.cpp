// INI settings: sections, case-blind keys, numbers, malformed lines.
#include "hx/Settings.h"

#include <gtest/gtest.h>

#include "TestUtil.h"

namespace {

TEST(Settings, ReadsSectionsAndKeysWithoutRegardToCase) {
  HxPlatformInfo info("");
  std::string error;
  ASSERT_TRUE(info.LoadText("; comment\n[Pluvex]\r\nsNWKLOCALEFORMAT = dd.MM.yyyy \nnTARNJobAggregationInterval=300\n"
                            "[Other]\nsNWKLOCALEFORMAT=x\n",
                            &error))
      << error;
  std::string value;
  EXPECT_NE(info.getString("pluvex", "snwklocaleformat", &value), 0);
  EXPECT_EQ(value, "dd.MM.yyyy");
  unsigned long number = 0;
  EXPECT_NE(info.getNumber("Pluvex", "nTARNJobAggregationInterval", &number), 0);
  EXPECT_EQ(number, 300u);
  EXPECT_EQ(info.getString("Pluvex", "missing", &value), 0);
  EXPECT_EQ(info.getNumber("Pluvex", "sNWKLOCALEFORMAT", &number), 0);  // not a number
}

TEST(Settings, MalformedLineIsReportedWithItsNumber) {
  testutil::ScopedTempDir dir;
  testutil::WriteFile(dir / "s.ini", "[Pluvex]\nkey=1\nno equals sign\n");
  HxPlatformInfo info(dir / "s.ini");
  EXPECT_NE(info.LoadError().find("s.ini:3"), std::string::npos) << info.LoadError();
  std::string value;
  EXPECT_NE(info.getString("Pluvex", "key", &value), 0);  // what came before stays
}

}  // namespace
