// The client report parser: merging resources into clients, one policy per
// group, continuation rules per attribute, server and main media agent.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "fetchers/CNWKClientInfoFetcher.h"
#include "fetchers/CNWKStorageNodeFetcher.h"

namespace {

using H = CForeignHandlerNWK;
using Lines = std::vector<std::string>;

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
  return out;
}

// "key|name|os|version", then per policy "  name|group|app|save sets" and
// the schedule, command, directive and licensed applications when set.
Lines Dump(const NWKClientMap& clients) {
  Lines out;
  for (const auto& [key, c] : clients) {
    out.push_back(key + "|" + c.get_clientName() + "|" + c.get_osName() + "|" + c.get_clientVersion());
    for (const NWKPolicyInfo& p : c.get_policyList()) {
      std::string line = "  " + p.get_policyName() + "|" + p.get_groupName() + "|" + p.get_appName() + "|" +
                         Join(p.get_const_backuplistref());
      for (const auto& [tag, value] : {std::pair<const char*, std::string>{" sched=", p.get_associatedScheduleName()},
                                       {" cmd=", p.get_backupCommand()},
                                       {" dir=", p.get_directiveName()},
                                       {" lic=", Join(p.get_licensedApps())}})
        if (!value.empty()) line += tag + value;
      out.push_back(line);
    }
  }
  return out;
}

std::string Resource(const std::string& name, const std::string& body) {
  return "                        name: " + name + ";\n                      server: srv;\n" + body +
         "               licensed PSPs: ;\n\n";
}

// A client resource as a full print starts it.
std::string Typed(const std::string& body) { return "                        type: NSR client;\n" + body + "\n"; }

struct Case {
  const char* what;
  std::string report;
  Lines want;
  const char* map;  // the save set map of srv, when checked
};

class ClientReport : public JobFixture {
 protected:
  bool Parse(const std::string& text, const std::string& mapDir = "0") {
    return CNWKClientInfoFetcher::ParseClientReport(text, &clients_, dir_ / mapDir);
  }
  const std::vector<NWKPolicyInfo>& Policies(const std::string& name) { return clients_.at(name).get_policyList(); }

  // Each case as printed and with CRLF line ends.
  template <size_t N>
  void Check(const Case (&cases)[N]) {
    for (const Case& c : cases) {
      std::string crlf;
      for (char ch : c.report) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
      for (const std::string& text : {c.report, crlf}) {
        SCOPED_TRACE(std::string(c.what) + (text == c.report ? "" : " (CRLF)"));
        clients_.clear();
        H::set_NWKServerName("");
        std::string mapDir = std::to_string(++runs_);
        ASSERT_TRUE(Parse(text, mapDir));
        EXPECT_EQ(Dump(clients_), c.want);
        if (c.map) {
          EXPECT_EQ(testutil::ReadFile(dir_ / mapDir + "/srv.txt"), c.map);
        }
      }
    }
  }
  NWKClientMap clients_;
  int runs_ = 0;
};

TEST_F(ClientReport, ResourcesContinuationsAndCarryOverInLfAndCrlf) {
  const Case cases[] = {
      {"one client whatever the case: first key and OS, last name and version",
       Resource("srv", "group: Daily;\nsave set: All;\n") +
           Resource("hosta", "group: Daily;\nsave set: /a;\nclient OS type: Linux;\nNetWorker version: 8.1;\n") +
           Resource("HOSTA", "group: Weekly;\nsave set: /b;\nclient OS type: Solaris;\nNetWorker version: 8.2;\n"),
       {"hosta|HOSTA|Linux|8.2", "  Manual||UNKNOWN|All", "  subclient1|Daily||/a", "  subclient2|Weekly||/b",
        "srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||All"},
       nullptr},
      {"one policy per distinct group; an empty group list adds none",
       Resource("srv", "group: Daily, Weekly, Daily;\nsave set: /data;\n") +
           Resource("srv", "group: ;\nsave set: /none;\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||/data", "  subclient2|Weekly||/data"},
       "3\nDaily_/data,subclient1\nWeekly_/data,subclient2\n"},
      {"continued values: a backslash joins the next line to the item",
       Resource("srv",
                "group: Daily,\n   Weekly;\nsave set: \"C:\\\\\", /a,\n/very/long/pa\\\nth;\n"
                "licensed applications: \\\nFujitsu NetWorker Module for Oracle5,\nOther;\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All",
        "  subclient1|Daily||C:\\,/a,/very/long/path lic=Fujitsu NetWorker Module for Oracle5,Other",
        "  subclient2|Weekly||C:\\,/a,/very/long/path lic=Fujitsu NetWorker Module for Oracle5,Other"},
       nullptr},
      {"a lone backslash reads the list from the next lines",
       Resource("srv", "group: \\\nDaily;\nsave set: \\\n/u01/app, \n/u02;\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||/u01/app,/u02"},
       nullptr},
      {"an empty save set list ends on its own line",
       Resource("srv", "group: Daily;\nsave set: ;\nbackup command: nsrora_save_cmd;\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily|| cmd=nsrora_save_cmd"},
       nullptr},
      {"an empty value without ';' is an empty list: the next attribute is its own",
       Resource("srv", "group: Daily;\nsave set: /a;\nlicensed applications:\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||/a"},
       nullptr},
      {"a resource without licensed PSPs ends where the next begins; what follows the line carries over",
       Resource("srv", "group: Daily;\nsave set: /a;\nbackup command: nsrora_save_cmd;\ndirective: D1;\n") +
           "name: b;\nserver: srv;\ngroup: Weekly;\nschedule: S2;\n"
           "name: c;\nsave set: /c;\nlicensed PSPs: ;\nbackup type: Late;\n",
       {"b|b||", "  Manual||UNKNOWN|All", "  subclient1|Weekly||/a sched=S2 cmd=nsrora_save_cmd dir=D1", "c|c||",
        "  Manual||UNKNOWN|All", "  subclient1|Weekly||/c sched=S2 cmd=nsrora_save_cmd dir=D1", "srv|srv||",
        "  Manual||UNKNOWN|All",
        "  subclient1|Daily||/a cmd=nsrora_save_cmd dir=D1"},
       nullptr},
      {"attributes before the first name go with their continuations",
       "Display options:\n  Hidden: Off;\ngroup: \\\nname: bogus;\nsave set: /x,\nname: bogus2;\nlicensed PSPs: ;\n" +
           Resource("srv", "group: Daily;\nsave set: C:\\\\;\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||C:\\"},
       nullptr},
      {"values reaching the end of the report: read, and committed there",
       Resource("srv", "group: Daily;\n") + "name: srv;\nsave set: /a,\n/b",
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||", "  subclient2|Daily||/a,/b"},
       nullptr},
      {"a cut group list still commits what it holds", Resource("srv", "") + "name: x;\ngroup: A,\nB,",
       {"srv|srv||", "  Manual||UNKNOWN|All", "x|x||", "  Manual||UNKNOWN|All", "  subclient1|A||",
        "  subclient2|B||"},
       nullptr},
  };
  Check(cases);
}

// Reports as administrators capture them: resources that print no "licensed
// PSPs:" line, attributes printed in alphabetical order, no blank after ':'.
TEST_F(ClientReport, ResourceBoundariesAttributeOrderAndTightValuesIssue13) {
  const Case cases[] = {
      {"one resource without licensed PSPs, at the end of the report",
       Typed("name: srv;\nserver: srv;\ngroup: Daily, Weekly;\nsave set: /, /u01;\n"),
       {"srv|srv||", "  Manual||UNKNOWN|All", "  subclient1|Daily||/,/u01", "  subclient2|Weekly||/,/u01"},
       "3\nDaily_/,subclient1\nWeekly_/,subclient2\n"},
      {"licensed PSPs printed: one commit; what follows it goes to the next resource",
       Typed("name: srv;\nserver: srv;\ngroup: Daily;\nsave set: /a;\nlicensed PSPs: ;\nschedule: Late;\n") +
           Typed("name: hostb;\ngroup: Weekly;\nsave set: /b;\nlicensed PSPs: ;\n"),
       {"hostb|hostb||", "  Manual||UNKNOWN|All", "  subclient1|Weekly||/b sched=Late", "srv|srv||",
        "  Manual||UNKNOWN|All", "  subclient1|Daily||/a"},
       nullptr},
      {"alphabetical print: what comes before the name is the resource's own",
       Typed("NetWorker version: 8.2.1;\nbackup command: save;\nclient OS type: Linux;\ngroup: Daily;\n"
             "licensed PSPs: ;\nname: srv;\nsave set: /a;\nserver: srv;\n") +
           Typed("NetWorker version: 7.6;\nclient OS type: Solaris;\ngroup: Weekly, Monthly;\nname: hostb;\n"
                 "save set: /b;\nserver: srv;\n"),
       {"hostb|hostb|Solaris|7.6", "  Manual||UNKNOWN|All", "  subclient1|Weekly||/b cmd=save",
        "  subclient2|Monthly||/b cmd=save", "srv|srv|Linux|8.2.1", "  Manual||UNKNOWN|All",
        "  subclient1|Daily||/a cmd=save"},
       nullptr},
      {"no blank after the colon",
       Typed("name:BRS2GODAG.brslab.local;\nserver:BRS2GODAG.brslab.local;\ngroup:Daily;\nsave set:C:\\\\;\n"),
       {"BRS2GODAG.brslab.local|BRS2GODAG.brslab.local||", "  Manual||UNKNOWN|All", "  subclient1|Daily||C:\\"},
       nullptr},
  };
  Check(cases);
  EXPECT_EQ(H::get_NWKServerName(), "BRS2GODAG.brslab.local");
}

TEST_F(ClientReport, ServerIsTheClientThatNamesItselfIgnoringCase) {
  ASSERT_TRUE(Parse("name: a;\nserver: srv;\nname: SRV.lab.local;\nserver: srv.LAB.local;\n"));
  EXPECT_EQ(H::get_NWKServerName(), "srv.LAB.local");
  EXPECT_TRUE(clients_.at("srv.lab.local").get_isMasterServer());
  EXPECT_TRUE(clients_.at("srv.lab.local").get_isMediaServer());
  EXPECT_FALSE(clients_.at("a").get_isMasterServer());
  EXPECT_NE(Log().find("Discovered networker server name [srv.LAB.local]"), std::string::npos);
}

TEST_F(ClientReport, AnEmptyServerValueNamesNoServerEvenBesideAnEmptyName) {
  EXPECT_FALSE(Parse("name: ;\nserver: ;\ngroup: G;\nlicensed PSPs: ;\n"));
  for (const auto& [name, client] : clients_) EXPECT_FALSE(client.get_isMasterServer()) << "[" << name << "]";
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
  EXPECT_TRUE(clients_.at("sn1").get_isMediaServer());
  EXPECT_EQ(Policies("sn1").size(), 2u);
  EXPECT_TRUE(Policies("srv.lab").empty());  // a storage node that is no client
}

}  // namespace
