// Directive, group, schedule and storage node reports.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "fetchers/CNWKDirectiveInfoFetcher.h"
#include "fetchers/CNWKGroupInfoFetcher.h"
#include "fetchers/CNWKScheduleInfoFetcher.h"
#include "fetchers/CNWKStorageNodeFetcher.h"

namespace {

TEST(DirectiveReport, FlagsComeFromTheBodyLinesOnly) {
  struct Case {
    const char* body;
    bool encryption, compression;
  } cases[] = {
      {"directive: +aes +compressasm;\n", false, false},  // the directive line itself is not examined
      {"directive: \"<< / >>\n+compressasm: .\n\n+aes: .\";\n", true, true},
      {"directive: \"<< / >>\n+compressasm +aes: .\";\n", false, true},  // both on one line: compression
      {"directive: \"<< / >>\nskip: core\";\n+aes: .\n", false, false},  // after the closing ';'
      {"directive: \"<< / >>\n+AES: .\";\n", false, false},              // case matters
      {"directive: \"<< / >>\n+aes: .", true, false},                    // ends at the end of the report
  };
  for (const Case& c : cases) {
    NWKDirectiveMap directives;
    CNWKDirectiveInfoFetcher::ParseDirectiveReport(std::string("name: D;\n") + c.body, &directives);
    ASSERT_EQ(directives.count("D"), 1u) << c.body;
    EXPECT_EQ(directives["D"].get_encryption(), c.encryption) << c.body;
    EXPECT_EQ(directives["D"].get_compression(), c.compression) << c.body;
  }
}

TEST(DirectiveReport, SecondResourceOfTheSameNameAddsToTheFirstAndBodiesWithoutNameSetNothing) {
  NWKDirectiveMap directives;
  CNWKDirectiveInfoFetcher::ParseDirectiveReport(
      "directive: x\n+aes\";\nname: D;\ndirective: x\n+aes\";\nname: D;\ndirective: x\n+compressasm\";\n"
      "name: d;\n",
      &directives);
  ASSERT_EQ(directives.size(), 2u);  // names are case-sensitive here
  EXPECT_TRUE(directives["D"].get_encryption());
  EXPECT_TRUE(directives["D"].get_compression());
  EXPECT_FALSE(directives["d"].get_encryption());
}

TEST(GroupReport, NamesMergeIgnoringCaseAndIntervalsAreSeconds) {
  NWKGroupMap groups;
  CNWKGroupInfoFetcher::ParseGroupReport(
      "start time: \"01:00\";\n"  // before any name: ignored
      "name: Default;\nstart time: \"21:00\";\ninterval: 24:00;\nschedule: ;\n"
      "name: default;\ninterval: 4:00;\nschedule: Full Sat;\n",
      &groups);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups.begin()->first, "Default");
  const NWKGroupInfo& g = groups.begin()->second;
  EXPECT_EQ(g.get_groupName(), "default");
  EXPECT_EQ(g.get_startTime(), "\"21:00\"");
  EXPECT_EQ(g.get_backupInterval(), 4u * 3600);
  EXPECT_EQ(g.get_overridenScheduleName(), "Full Sat");
}

TEST(ScheduleReport, WeeklyOnOneLineMonthlyOverSeveral) {
  NWKScheduleMap schedules;
  CNWKScheduleInfoFetcher::ParseScheduleReport(
      "name: Weekly;\nperiod: Week;\naction: full incr incr incr incr incr incr;\n"
      "name: Monthly;\nperiod: Month;\naction: \\\n  full incr incr \\\n incr skip;\ncomment: after;\n"
      "name: OneLineMonth;\nperiod: Month;\naction: full incr;\ncomment: not an action;\n"
      "name: weekly;\naction: incr;\n"
      "name: Cut;\nperiod: Month;\naction: \\\nfull incr",
      &schedules);
  EXPECT_EQ(schedules.at("Weekly").get_scheduleAction(),
            (std::vector<std::string>{"full incr incr incr incr incr incr", "incr"}));
  EXPECT_EQ(schedules.at("Weekly").get_scheduleName(), "weekly");
  // A continuation line is taken whole, its trailing backslash included.
  EXPECT_EQ(schedules.at("Monthly").get_scheduleAction(), std::vector<std::string>{"full incr incr \\ incr skip"});
  // A monthly action complete on its line does not swallow the next attribute.
  EXPECT_EQ(schedules.at("OneLineMonth").get_scheduleAction(), std::vector<std::string>{"full incr"});
  EXPECT_EQ(schedules.at("Cut").get_scheduleAction(), std::vector<std::string>{"full incr"});
}

// Issue 13: an 8.x server prints attributes in alphabetical order, so some
// come before "name:"; the "type:" line starts the resource they belong to.
TEST(ResourceReports, AlphabeticalPrintsFileAttributesUnderTheirOwnResourceIssue13) {
  NWKGroupMap groups;
  CNWKGroupInfoFetcher::ParseGroupReport(
      "type: NSR group;\nautostart: Enabled;\nclone pool: Default Clone;\ninterval: 24:00;\nname: Daily;\n"
      "schedule: Default;\nstart time: \"21:00\";\n\n"
      "type: NSR group;\nautostart: Disabled;\ninterval: 12:00;\nname: Weekly;\nschedule: Full Sat;\n"
      "start time: \"03:00\";\n\n"
      "type: NSR group;\ninterval: 6:00;\nname: Logs;\n",
      &groups);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups.at("Daily").get_backupInterval(), 24u * 3600);
  EXPECT_EQ(groups.at("Daily").get_startTime(), "\"21:00\"");
  EXPECT_EQ(groups.at("Weekly").get_backupInterval(), 12u * 3600);
  EXPECT_EQ(groups.at("Weekly").get_overridenScheduleName(), "Full Sat");
  EXPECT_EQ(groups.at("Logs").get_backupInterval(), 6u * 3600);

  NWKScheduleMap schedules;  // "action:" before "period:": the period is known when the action is read
  CNWKScheduleInfoFetcher::ParseScheduleReport(
      "type: NSR schedule;\naction: \\\nfull incr\nincr skip;\nname: Monthly;\nperiod: Month;\n\n"
      "type: NSR schedule;\naction: full incr;\nname: Weekly;\nperiod: Week;\n",
      &schedules);
  EXPECT_EQ(schedules.at("Monthly").get_scheduleAction(), std::vector<std::string>{"full incr incr skip"});
  EXPECT_EQ(schedules.at("Weekly").get_scheduleAction(), std::vector<std::string>{"full incr"});

  NWKDirectiveMap directives;
  CNWKDirectiveInfoFetcher::ParseDirectiveReport(
      "type: NSR directive;\ndirective: \"<< / >>\n+aes: .\";\nname: Enc;\n\n"
      "type: NSR directive;\ndirective: \"<< / >>\n+compressasm: .\";\nname: Zip;\n",
      &directives);
  EXPECT_TRUE(directives.at("Enc").get_encryption());
  EXPECT_FALSE(directives.at("Enc").get_compression());
  EXPECT_TRUE(directives.at("Zip").get_compression());

  NWKClientMap nodes;
  CNWKStorageNodeFetcher::ParseStorageNodeReport("type: NSR Storage Node;\ndevice names: d;\nname:snode01;\n", &nodes);
  EXPECT_EQ(nodes.count("snode01"), 1u);  // and no blank needed after the colon
}

}  // namespace
