// Schedule naming, and the schedule policies built from client resources: which
// patterns a schedule and a group give, which days they mark, and how
// resources of one schedule and group share a policy.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "handler/CForeignHandlerNWK.h"
#include "model/MessageBuild.h"
#include "hx/Files.h"
#include "hx/MessageClasses.h"
#include "model/ScheduleTaskList.h"

namespace {

using H = CForeignHandlerNWK;
using Lines = std::vector<std::string>;
constexpr unsigned int kDay = 86400;

NWKScheduleInfo Schedule(const std::string& period, Lines actions, const std::string& name = "S") {
  NWKScheduleInfo s;
  s.set_scheduleName(name);
  s.set_schedulePeriod(period);
  s.get_scheduleAction() = std::move(actions);
  return s;
}

NWKGroupInfo Group(const std::string& start, unsigned int interval, const std::string& name = "G") {
  NWKGroupInfo g;
  g.set_groupName(name);
  g.set_startTime(start);
  g.set_backupInterval(interval);
  return g;
}

NWKPolicyInfo Resource(const std::string& name, const std::string& group = "G") {
  NWKPolicyInfo p;
  p.set_policyName(name);
  p.set_groupName(group);
  p.set_appName("Filesystem");
  return p;
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

NWKClientInfo Client(const std::string& name) {
  NWKClientInfo c;
  c.set_clientName(name);
  c.set_osName("Linux");
  return c;
}

// Read-only paths into a built task; they never add fields.
CNMessageBase* At(CNMessageBase* msg, short i, short t) {
  return msg ? msg->getObjectAccessor(true, false, i, t, 0, 0, 0, 0) : nullptr;
}
CNMessageBase* Body(CNMessageBase& task) { return At(&task, 2, 2); }
std::string TaskName(CNMessageBase& task) { return At(Body(task), 1, 1)->getstring(2, 2); }
std::vector<CNMessageBase>& ListOf(CNMessageBase& task, short i) {
  static std::vector<CNMessageBase> none;
  std::vector<CNMessageBase>* list = msgbuild::List(Body(task), i, i);
  return list ? *list : none;
}

// One line per pattern: name, level number, start (or - when unset), kind,
// week and the flagged weekdays or the day of the month.
std::string PatternLine(CNMessageBase& subtask) {
  CNMessageBase* pattern = At(&subtask, 3, 3);
  CNMessageBase* days = At(pattern, 5, 8);
  std::string line = At(&subtask, 1, 1)->getstring(1, 1) + " L" +
                     std::to_string(At(At(&subtask, 4, 4), 1, 1)->getint64(1)) + " @" +
                     (pattern->isSet(14) ? std::to_string(pattern->getint64(17)) : "-");
  long long kind = pattern->getint64(7);
  line += kind == 8 ? " weekly" : kind == 16 ? " monthly" : " kind" + std::to_string(kind);
  if (!days) return line + " (no days)";
  line += " w" + std::to_string(days->getint64(9));
  if (kind == 16) return line + " m" + std::to_string(days->getint64(8));
  std::string flagged;
  for (short d = 1; d <= 7; ++d)
    if (days->getint64(d) == 1) flagged += (flagged.empty() ? "" : ",") + std::to_string(d);
  return line + " d" + flagged;
}

// Every task as "task <name>" followed by its patterns.
Lines Dump(ScheduleTaskList& list) {
  std::vector<TMMsg::CreateTaskReq>& tasks = list.tasks();
  Lines lines;
  for (CNMessageBase& task : tasks) {
    lines.push_back("task " + TaskName(task));
    for (CNMessageBase& subtask : ListOf(task, 5)) lines.push_back(PatternLine(subtask));
  }
  return lines;
}

// Associations as "client/subclient".
Lines Associations(CNMessageBase& task) {
  Lines out;
  for (CNMessageBase& a : ListOf(task, 3)) out.push_back(a.getstring(19, 52) + "/" + a.getstring(6, 12));
  return out;
}

// Names the pattern dumps below do not already show.
TEST(ScheduleNaming, SubtaskAndTaskNames) {
  struct Case {
    const char *schedule, *period, *group, *level;
    int week, day;
    unsigned int start;
    const char* expected;
  } cases[] = {
      {"Default", "MONTH", "Default", "incr", 2, 3, 75600, "Default_Default_Incremental_21:0"},  // exact period only
      {"Default", "Week", "", "full", 1, 1, 75600, "Default__Full_21:0"},
      {"S", "Week", "G", "1", 1, 2, 3660, "S_G_Differential_1:1"},
      {"S", "Week", "G", "consolidate", 1, 2, 0, "S_G_Synthetic Full_0:0"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(H::GenerateScheduleName(Schedule(c.period, {}, c.schedule), Group("", 0, c.group), c.week, c.day, c.level,
                                      c.start),
              c.expected);
}

TEST(ScheduleBuild, PatternsOfOneResource) {
  struct Case {
    const char *what, *period;
    Lines actions;
    const char* start;
    unsigned int interval;
    Lines dump;
  } cases[] = {
      // clang-format off
      {"weekly full and incremental", "Week", {"full incr incr incr incr incr incr"}, "21:00", kDay,
       {"task S_G", "S_G_Full_21:0 L1 @75600 weekly w1 d1", "S_G_Incremental_21:0 L2 @75600 weekly w1 d2,3,4,5,6,7"}},
      {"every 4 hours from 20:00: also at 24:00", "Week", {"full incr"}, "20:00", 4 * 3600,
       {"task S_G", "S_G_Full_20:0 L1 @72000 weekly w1 d1", "S_G_Full_24:0 L1 @86400 weekly w1 d1",
        "S_G_Incremental_20:0 L2 @72000 weekly w1 d2", "S_G_Incremental_24:0 L2 @86400 weekly w1 d2"}},
      {"no interval: one run a day", "Week", {"full incr"}, "21:00", 0,
       {"task S_G", "S_G_Full_21:0 L1 @75600 weekly w1 d1", "S_G_Incremental_21:0 L2 @75600 weekly w1 d2"}},
      {"no start time: midnight and 24:00, start unset", "Week", {"full"}, "", kDay,
       {"task S_G", "S_G_Full_0:0 L1 @- weekly w1 d1", "S_G_Full_24:0 L1 @- weekly w1 d1"}},
      {"start after the end of the day: no task", "Week", {"full"}, "25:00", kDay, {}},
      {"skip consumes a day", "Week", {"skip full skip incr", "skip"}, "21:00", kDay,
       {"task S_G", "S_G_Full_21:0 L1 @75600 weekly w1 d2", "S_G_Incremental_21:0 L2 @75600 weekly w1 d4"}},
      {"only skips: no task", "Week", {"skip skip", ""}, "21:00", kDay, {}},
      {"asterisks, quotes, semicolons trimmed; extra blanks no day", "Week", {"full*  \"incr\" *incr;"}, "21:00", kDay,
       {"task S_G", "S_G_Full_21:0 L1 @75600 weekly w1 d1", "S_G_Incremental_21:0 L2 @75600 weekly w1 d2,3"}},
      {"the day count runs on into the next action", "Week", {"full incr", "1"}, "21:00", kDay,
       {"task S_G", "S_G_Full_21:0 L1 @75600 weekly w1 d1", "S_G_Incremental_21:0 L2 @75600 weekly w1 d2",
        "S_G_Differential_21:0 L3 @75600 weekly w1 d3"}},
      {"monthly: a pattern per day", "Month", {"skip skip skip skip skip skip skip skip skip 9 full"}, "21:00", kDay,
       {"task S_G", "S_G_Incremental_21:0_Week2_Day3 L2 @75600 monthly w2 m10",
        "S_G_Full_21:0_Week2_Day4 L1 @75600 monthly w2 m11"}},
      {"more than 31 pieces stop at the 32nd, the next action too", "Month",
       {Repeat("skip ", 30) + "full incr full", "full"}, "21:00", kDay,
       {"task S_G", "S_G_Full_21:0_Week5_Day3 L1 @75600 monthly w5 m31"}},
      {"a month spelled otherwise: monthly patterns, names without day", "month", {"full full"}, "21:00", kDay,
       {"task S_G", "S_G_Full_21:0 L1 @75600 monthly w1 m2"}},
      {"any other period: a task without patterns", "Day", {"full incr"}, "21:00", kDay, {"task S_G"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    ScheduleTaskList tasks;
    NWKScheduleInfo schedule = Schedule(c.period, c.actions);
    NWKGroupInfo group = Group(c.start, c.interval);
    NWKClientInfo client = Client("c1");
    EXPECT_EQ(Resource("p1").BuildSchedule(tasks, client, schedule, group), 1);
    EXPECT_EQ(Dump(tasks), c.dump) << c.what;
    for (CNMessageBase& task : tasks.tasks()) EXPECT_EQ(Associations(task), Lines{"c1/p1"}) << c.what;
  }
}

TEST(ScheduleBuild, ResourcesOfOneScheduleAndGroupShareOneTask) {
  ScheduleTaskList tasks;
  NWKScheduleInfo schedule = Schedule("Week", {"full incr incr incr incr incr incr"});
  NWKGroupInfo group = Group("21:00", kDay);
  NWKClientInfo a = Client("a"), b = Client("b");
  Resource("p1").BuildSchedule(tasks, a, schedule, group);
  Resource("p2").BuildSchedule(tasks, b, schedule, group);
  // Same name, other days: no pattern is added, but the days are still marked.
  NWKScheduleInfo sameName = Schedule("Week", {"incr full"});
  Resource("p3").BuildSchedule(tasks, a, sameName, group);
  // The resource's own group name makes the task name: another group, another task.
  NWKGroupInfo other = Group("21:00", kDay, "H");
  Resource("p4", "H").BuildSchedule(tasks, b, sameName, other);
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_EQ(Associations(tasks.tasks()[0]), (Lines{"a/p1", "b/p2", "a/p3"}));
  EXPECT_EQ(Associations(tasks.tasks()[1]), Lines{"b/p4"});
  EXPECT_EQ(Dump(tasks),
            (Lines{"task S_G", "S_G_Full_21:0 L1 @75600 weekly w1 d1,2",
                   "S_G_Incremental_21:0 L2 @75600 weekly w1 d1,2,3,4,5,6,7", "task S_H",
                   "S_H_Incremental_21:0 L2 @75600 weekly w1 d1", "S_H_Full_21:0 L1 @75600 weekly w1 d2"}));
}

// The driver over a handler whose clients and groups are given directly, as
// client discovery would have left them.
class ScheduleDriver : public JobFixture {
 protected:
  struct Handler : CForeignHandlerNWK {
    using CForeignHandlerNWK::m_clients;
    using CForeignHandlerNWK::m_groups;
    using CForeignHandlerNWK::m_schedules;
  };
  void SetUp() override {
    JobFixture::SetUp();
    CForeignCmdExecBase::set_UseExistingFiles(true);
    handler_.m_groups["G"] = Group("21:00", kDay);
    NWKClientInfo& client = handler_.m_clients["c1"] = Client("c1");
    const char* resources[][3] = {
        {"Manual", "", ""}, {"p1", "Ghost", "Default"}, {"p2", "G", "Nope"}, {"p3", "G", ""}, {"p4", "G", "default"}};
    for (auto& [name, group, schedule] : resources) {
      client.get_policyList().push_back(Resource(name, group));
      client.get_policyList().back().set_associatedScheduleName(schedule);
    }
  }
  Handler handler_;
};

TEST_F(ScheduleDriver, FailedFetchVisitsNoClientUnknownGroupOrScheduleIsPassedOver) {
  EXPECT_EQ(handler_.DiscoverSchedule(nullptr), 0);  // no schedule report to replay
  EXPECT_NE(Log().find("Fetching schedule information failed"), std::string::npos) << Log();
  EXPECT_EQ(Log().find("Building schedule pattern"), std::string::npos) << Log();
  EXPECT_FALSE(hx::FileExists(Results("xml")));

  GivenReport("tarn_schedule.txt", "name: Default;\nperiod: Week;\naction: full incr;\n");
  EXPECT_EQ(handler_.DiscoverSchedule(nullptr), 1);
  EXPECT_EQ(handler_.m_groups.size(), 1u);
  EXPECT_EQ(handler_.m_schedules.size(), 1u);
  std::string log = Log();
  for (const char* line : {"Passing over policy [p1] client [c1]: group [Ghost] is not known",
                           "Passing over policy [p2] client [c1]: schedule [Nope] is not known",
                           "Skipping schedule creation for policy [p3]",
                           "Built schedule pattern[default] for policy [p4] client [c1]"})  // schedules ignore case
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  EXPECT_EQ(log.find("Skipping schedule creation for policy [Manual]"), std::string::npos) << log;
  EXPECT_TRUE(hx::FileExists(Results("xml/00001_TMMsg_CreateTaskReq.xml")));
  EXPECT_FALSE(hx::FileExists(Results("xml/00002_TMMsg_CreateTaskReq.xml")));
}

}  // namespace
