// Real NetWorker output published by administrators, read by our parsers.
// The samples carry their authors' "#" (and "k" marker) prefixes, and some
// are nsradmin input scripts ("create type: ...;name: ...;") or one-line
// documentation examples; they are put into print layout first.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "fetchers/CNWKClientInfoFetcher.h"
#include "fetchers/CNWKDirectiveInfoFetcher.h"
#include "fetchers/CNWKGroupInfoFetcher.h"
#include "fetchers/CNWKScheduleInfoFetcher.h"
#include "hx/Strings.h"

namespace {

std::string Reference(const std::string& name) {
  std::string text = testutil::ReadFile(std::string(NWK_REFERENCE_DIR) + "/" + name);
  std::string out, line;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind("#", 0) == 0) line.erase(0, 1);
    if (line.rfind("k ", 0) == 0) line.erase(0, 1);
    if (line.rfind("nsradmin>", 0) == 0) continue;  // the query typed, not output
    if (line.rfind("create ", 0) == 0) line.erase(0, 7);
    // One attribute per line, as print shows them.
    for (size_t at; (at = line.find("; ")) != std::string::npos || (at = line.find(";name:")) != std::string::npos;)
      line.replace(at, line[at + 1] == ' ' ? 2 : 1, ";\n");
    out += line + "\n";
  }
  return out;
}

class ReferenceReports : public JobFixture {};

TEST_F(ReferenceReports, ClientsKeepEveryResourceAndGroup) {
  NWKClientMap clients;
  CForeignHandlerNWK::set_NWKServerName("sscprodeng");
  std::string text = Reference("nsr_client_savydom_1.txt") + Reference("nsr_client_savydom_2.txt") +
                     Reference("nsr_client_doc_solstice_1.txt");
  ASSERT_TRUE(CNWKClientInfoFetcher::ParseClientReport(text, &clients, dir_ / "0"));
  ASSERT_EQ(clients.size(), 3u);

  const auto& prod = clients.at("sscprod1").get_policyList();
  ASSERT_EQ(prod.size(), 4u);
  EXPECT_EQ(prod[1].get_groupName(), "CSA");
  EXPECT_EQ(prod[2].get_groupName(), "INDEX");
  EXPECT_EQ(prod[3].get_groupName(), "Automated-NON-PROD-Reruns");
  EXPECT_EQ(prod[1].get_const_backuplistref(), std::vector<std::string>{"All"});
  EXPECT_EQ(prod[1].get_directiveName(), "Unix standard directives");
  EXPECT_EQ(clients.at("sscprod1").get_osName(), "Solaris");

  // A group list wrapped after ", " over two lines.
  const auto& vm = clients.at("C27ITSMcnlaD1A").get_policyList();
  ASSERT_EQ(vm.size(), 4u);
  EXPECT_EQ(vm[2].get_groupName(), "VADP-Devpriv-Ch2-620-B5");
  EXPECT_EQ(vm[3].get_groupName(), "Automated-NON-PROD-VADP-Reruns");
  EXPECT_EQ(vm[3].get_const_backuplistref(), std::vector<std::string>{"*FULL*"});
  EXPECT_EQ(vm[3].get_backupCommand(), "nsrvadp_save");

  // The documentation example prints no "licensed PSPs:" line: its resource
  // ends with the report and is committed there (issue 13).
  const auto& venus = clients.at("venus").get_policyList();
  ASSERT_EQ(venus.size(), 2u);
  EXPECT_EQ(venus[1].get_groupName(), "Default");
  EXPECT_EQ(venus[1].get_const_backuplistref(), std::vector<std::string>{"All"});
  EXPECT_EQ(venus[1].get_associatedScheduleName(), "Default");
}

TEST_F(ReferenceReports, GroupsWithQuotedStartTimes) {
  NWKGroupMap groups;
  CNWKGroupInfoFetcher::ParseGroupReport(Reference("nsr_group_savydom_1.txt") + Reference("nsr_group_savydom_2.txt"),
                                         &groups);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups.at("citrix").get_startTime(), "\"22:59\"");
  EXPECT_EQ(groups.at("NavyNuclear").get_startTime(), "\"23:10\"");
  EXPECT_EQ(groups.at("SDDATA").get_startTime(), "\"19:20\"");
}

TEST_F(ReferenceReports, SchedulesAndDirectivesNamedWithCommas) {
  NWKScheduleMap schedules;
  CNWKScheduleInfoFetcher::ParseScheduleReport(
      Reference("nsr_schedule_savydom_1.txt") + Reference("nsr_schedule_doc_solstice_1.txt"), &schedules);
  ASSERT_EQ(schedules.size(), 4u);
  EXPECT_EQ(schedules.count("mon, wed, fri, SATURDAY FULL"), 1u);
  const NWKScheduleInfo& quarterly = schedules.at("quarterly");
  EXPECT_EQ(quarterly.get_schedulePeriod(), "Month");
  EXPECT_EQ(quarterly.get_scheduleAction(), std::vector<std::string>{"5 incr incr incr 9 incr incr"});

  NWKDirectiveMap directives;
  CNWKDirectiveInfoFetcher::ParseDirectiveReport(Reference("nsr_directive_savydom_1.txt"), &directives);
  ASSERT_EQ(directives.size(), 1u);
  EXPECT_EQ(directives.count("NT Oracle directives"), 1u);
}

}  // namespace
