// The client report parser: merging resources into clients, one policy per
// group, continuation rules per attribute, server and main media agent.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "fetchers/CNWKClientInfoFetcher.h"
#include "fetchers/CNWKStorageNodeFetcher.h"

namespace {

using H = CForeignHandlerNWK;

class ClientReport : public JobFixture {
 protected:
  bool Parse(const std::string& text) { return CNWKClientInfoFetcher::ParseClientReport(text, &clients_, dir_ / "0"); }
  const NWKClientInfo& Client(const std::string& name) { return clients_.at(name); }
  const std::vector<NWKPolicyInfo>& Policies(const std::string& name) { return clients_.at(name).get_policyList(); }
  NWKClientMap clients_;
};

std::string Resource(const std::string& name, const std::string& body) {
  return "                        name: " + name + ";\n                      server: srv;\n" + body +
         "               licensed PSPs: ;\n\n";
}

TEST_F(ClientReport, ResourcesOfOneClientMergeWhateverTheCase) {
  ASSERT_TRUE(Parse(Resource("srv", "group: Daily;\nsave set: All;\n") +
                    Resource("hosta", "group: Daily;\nsave set: /a;\nclient OS type: Linux;\nNetWorker version: 8.1;\n") +
                    Resource("HOSTA", "group: Weekly;\nsave set: /b;\nclient OS type: Solaris;\nNetWorker version: 8.2;\n")));
  ASSERT_EQ(clients_.count("hosta"), 1u);
  EXPECT_EQ(clients_.find("hosta")->first, "hosta");  // the key keeps the first spelling
  const NWKClientInfo& client = Client("hosta");
  EXPECT_EQ(client.get_clientName(), "HOSTA");       // the name the last one
  EXPECT_EQ(client.get_osName(), "Linux");           // the first OS wins
  EXPECT_EQ(client.get_clientVersion(), "8.2");
  const auto& policies = client.get_policyList();
  ASSERT_EQ(policies.size(), 3u);
  EXPECT_EQ(policies[0].get_policyName(), "Manual");
  EXPECT_EQ(policies[0].get_appName(), "UNKNOWN");
  EXPECT_EQ(policies[0].get_const_backuplistref(), std::vector<std::string>{"All"});
  EXPECT_EQ(policies[1].get_groupName(), "Daily");
  EXPECT_EQ(policies[2].get_groupName(), "Weekly");
}

TEST_F(ClientReport, OnePolicyPerDistinctGroupNamedThroughTheSaveSetMap) {
  ASSERT_TRUE(Parse(Resource("srv", "group: Daily, Weekly, Daily;\nsave set: /data;\n") +
                    Resource("srv", "group: ;\nsave set: /none;\n")));
  const auto& policies = Policies("srv");
  ASSERT_EQ(policies.size(), 3u);  // Manual, Daily, Weekly; the empty group list adds none
  EXPECT_EQ(policies[1].get_groupName(), "Daily");
  EXPECT_EQ(policies[1].get_policyName(), "subclient1");
  EXPECT_EQ(policies[2].get_groupName(), "Weekly");
  EXPECT_EQ(policies[2].get_policyName(), "subclient2");
  EXPECT_EQ(testutil::ReadFile(dir_ / "0/srv.txt"), "3\nDaily_/data,subclient1\nWeekly_/data,subclient2\n");
}

TEST_F(ClientReport, ContinuedValuesJoinAsEachAttributeWants) {
  ASSERT_TRUE(Parse(Resource("srv",
                             "group: Daily,\n"
                             "   Weekly;\n"
                             "save set: \"C:\\\\\", /a,\n"
                             "/very/long/pa\\\n"  // a backslash joins the next line to this item
                             "th;\n"
                             "licensed applications: \\\n"
                             "Fujitsu NetWorker Module for Oracle5,\n"
                             "Other;\n")));
  const auto& policies = Policies("srv");
  ASSERT_EQ(policies.size(), 3u);
  EXPECT_EQ(policies[1].get_groupName(), "Daily");
  EXPECT_EQ(policies[2].get_groupName(), "Weekly");
  EXPECT_EQ(policies[1].get_const_backuplistref(), (std::vector<std::string>{"C:\\", "/a", "/very/long/path"}));
  EXPECT_EQ(policies[1].get_licensedApps(),
            (std::vector<std::string>{"Fujitsu NetWorker Module for Oracle5", "Other"}));
}

TEST_F(ClientReport, SingleBackslashValueReadsTheListFromTheNextLines) {
  ASSERT_TRUE(Parse(Resource("srv", "group: \\\nDaily;\nsave set: \\\n/u01/app, \n/u02;\n")));
  const auto& policy = Policies("srv")[1];
  EXPECT_EQ(policy.get_groupName(), "Daily");
  EXPECT_EQ(policy.get_const_backuplistref(), (std::vector<std::string>{"/u01/app", "/u02"}));
}

TEST_F(ClientReport, AnEmptySaveSetListEndsOnItsOwnLine) {
  // Read literally, "save set: ;" would go on and swallow the next attribute.
  ASSERT_TRUE(Parse(Resource("srv", "group: Daily;\nsave set: ;\nbackup command: nsrora_save_cmd;\n")));
  const auto& policy = Policies("srv")[1];
  EXPECT_TRUE(policy.get_const_backuplistref().empty());
  EXPECT_EQ(policy.get_backupCommand(), "nsrora_save_cmd");
}

TEST_F(ClientReport, WorkingResourceCarriesOverUntilOverwritten) {
  ASSERT_TRUE(Parse(Resource("srv", "group: Daily;\nsave set: /a;\nbackup command: nsrora_save_cmd;\ndirective: D1;\n") +
                    "name: b;\nserver: srv;\ngroup: Weekly;\nschedule: S2;\n" +  // no licensed PSPs: no policy
                    "name: c;\nsave set: /c;\nlicensed PSPs: ;\nbackup type: Late;\n"));
  EXPECT_EQ(Policies("b").size(), 1u);
  const auto& c = Policies("c");
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[1].get_groupName(), "Weekly");
  EXPECT_EQ(c[1].get_associatedScheduleName(), "S2");
  EXPECT_EQ(c[1].get_backupCommand(), "nsrora_save_cmd");
  EXPECT_EQ(c[1].get_directiveName(), "D1");
  EXPECT_EQ(c[1].get_appName(), "");  // "backup type: Late" came after the commit
}

TEST_F(ClientReport, AttributesBeforeTheFirstNameAreIgnoredWithTheirContinuations) {
  ASSERT_TRUE(Parse("Display options:\n  Hidden: Off;\ngroup: \\\nname: bogus;\nsave set: /x,\nname: bogus2;\n"
                    "licensed PSPs: ;\n" +
                    Resource("srv", "group: Daily;\nsave set: /a;\n")));
  EXPECT_EQ(clients_.size(), 1u);
  EXPECT_EQ(Policies("srv")[1].get_const_backuplistref(), std::vector<std::string>{"/a"});
}

TEST_F(ClientReport, ValuesThatReachTheEndOfTheReportKeepWhatWasRead) {
  ASSERT_TRUE(Parse(Resource("srv", "group: Daily;\n") + "name: srv;\nsave set: /a,\n/b"));
  EXPECT_EQ(Policies("srv").size(), 2u);
  CForeignHandlerNWK::set_NWKServerName("");
  clients_.clear();
  ASSERT_TRUE(Parse(Resource("srv", "") + "name: x;\ngroup: A,\nB,"));
  EXPECT_EQ(Policies("x").size(), 1u);  // nothing committed, nothing lost or invented
}

TEST_F(ClientReport, ServerIsTheClientThatNamesItselfIgnoringCase) {
  ASSERT_TRUE(Parse("name: a;\nserver: srv;\nname: SRV.lab.local;\nserver: srv.LAB.local;\n"));
  EXPECT_EQ(H::get_NWKServerName(), "srv.LAB.local");
  EXPECT_TRUE(Client("srv.lab.local").get_isMasterServer());
  EXPECT_TRUE(Client("srv.lab.local").get_isMediaServer());
  EXPECT_FALSE(Client("a").get_isMasterServer());
  EXPECT_NE(Log().find("Discovered networker server name [srv.LAB.local]"), std::string::npos);
}

TEST_F(ClientReport, NoServerFailsAfterReadingEverything) {
  EXPECT_FALSE(Parse("name: a;\nserver: b;\ngroup: G;\nlicensed PSPs: ;\n"));
  EXPECT_EQ(Policies("a").size(), 2u);
  EXPECT_FALSE(testutil::ReadFile(dir_ / "0/a.txt").size() > 0);  // no map touched
  EXPECT_NE(Log().find("Failed to detect server name. Cannot proceed with discovery!!"), std::string::npos);
}

TEST_F(ClientReport, MainMediaAgentIsTheStorageNodeWithTheServersShortName) {
  CNWKStorageNodeFetcher::ParseStorageNodeReport("name: sn1;\nname: srv.lab;\n", &clients_);
  H::set_NWKServerName("srv.other");
  ASSERT_TRUE(Parse("name: sn1;\ngroup: G;\nsave set: All;\nlicensed PSPs: ;\n"));
  EXPECT_EQ(H::get_NWKMAName(), "srv.lab");
  EXPECT_TRUE(Client("sn1").get_isMediaServer());
  EXPECT_EQ(Policies("sn1").size(), 2u);
  EXPECT_TRUE(Policies("srv.lab").empty());  // a storage node that is no client
}

TEST_F(ClientReport, CrlfReportGivesTheSameClients) {
  std::string lf = Resource("srv", "group: Daily,\nWeekly;\nsave set: \\\n/a, \n/b;\n") +
                   Resource("b", "group: W;\nsave set: C:\\\\;\nclient OS type: Windows NT Server on Intel;\n");
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_TRUE(Parse(lf));
  NWKClientMap first = clients_;
  clients_.clear();
  H::set_NWKServerName("");
  ASSERT_TRUE(Parse(crlf));
  ASSERT_EQ(first.size(), clients_.size());
  for (const auto& [key, client] : first) {
    const NWKClientInfo& other = clients_.at(key);
    EXPECT_EQ(client.get_osName(), other.get_osName());
    ASSERT_EQ(client.get_policyList().size(), other.get_policyList().size());
    for (size_t i = 0; i < client.get_policyList().size(); ++i) {
      EXPECT_EQ(client.get_policyList()[i].get_groupName(), other.get_policyList()[i].get_groupName());
      EXPECT_EQ(client.get_policyList()[i].get_const_backuplistref(),
                other.get_policyList()[i].get_const_backuplistref());
    }
  }
}

}  // namespace
