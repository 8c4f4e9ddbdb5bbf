// Application types, OS records and the client tree built for the host. The
// golden client list pins the sample's tree (a storage node that is no client
// included); these are the cases the sample does not show.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "model/MessageBuild.h"
#include "hx/MessageClasses.h"

namespace {

using H = CForeignHandlerNWK;

NWKPolicyInfo Policy(const std::string& name, const std::string& app, std::vector<std::string> saveSets,
                     const std::string& command = "", const std::string& licensed = "") {
  NWKPolicyInfo p;
  p.set_policyName(name);
  p.set_groupName(name == "Manual" ? "" : "G");
  p.set_appName(app);
  p.get_backuplist() = std::move(saveSets);
  p.set_backupCommand(command);
  p.set_licensedApps(licensed);
  return p;
}

NWKClientInfo Client(const std::string& os, std::vector<NWKPolicyInfo> policies) {
  NWKClientInfo c;
  c.set_clientName("c1");
  c.set_osName(os);
  c.get_policyList() = std::move(policies);
  return c;
}

TEST(AppType, ByApplicationNameOsAndOracleHints) {
  struct Case {
    const char *os, *app, *command, *licensed;
    HxAppType type;
    const char* display;
  } cases[] = {
      {"", "Filesystem", "", "", 130, "Other External Agent"},
      {"linux", "Filesystem", "", "", 130, "Other External Agent"},  // OS texts compare exactly
      {"Linux", "", "NSRORA_SAVE_CMD", "", 22, "Oracle Database"},
      {"Linux", "", "nsrora_save_cmd.exe", "", 22, "Oracle Database"},
      {"Linux", "", "nsrnmo", "x, Fujitsu NetWorker Module for Oracle5", 22, "Oracle Database"},
      {"Linux", "UNKNOWN", "nsrora_save_cmd", "", 130, "Other External Agent"},
      {"Linux", "SQL Server", "nsrora_save_cmd", "", 81, "SQL Server"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.os) + "/" + c.app + "/" + c.command);
    NWKClientInfo client = Client(c.os, {});
    NWKPolicyInfo policy = Policy("p", c.app, {}, c.command, c.licensed);
    std::string display;
    EXPECT_EQ(H::GetHxAppType(&client, &policy, display), c.type);
    EXPECT_EQ(display, c.display);
  }
}

TEST(AppType, InstanceBackupSetAndSubclientNames) {
  struct Case {
    HxAppType type;
    NWKPolicyInfo policy;
    const char *instance, *subclient;
  } cases[] = {
      {81, Policy("subclient3", "SQL Server", {"MSSQL$PROD01:", "MSSQL$PROD01:db"}), "PROD01", "subclient3"},
      {81, Policy("s", "SQL Server", {"MSSQL$NOCOLON"}), "NOCOLON", "s"},
      {81, Policy("s", "SQL Server", {"a:b$c"}), "c", "s"},  // the colon before the '$' does not count
      {81, Policy("s", "SQL Server", {}), "", "s"},          // no save set: no instance, no crash
      {29, Policy("Default", "Filesystem", {}), "DefaultInstanceName", "default"},
      {29, Policy("Manual", "Filesystem", {}), "DefaultInstanceName", "Manual"},
  };
  for (const Case& c : cases) {
    std::string instance, backupSet, subclient;
    H::BuildInstanceBackupsetSubclientNames(c.type, c.policy, instance, backupSet, subclient, "");
    EXPECT_EQ(instance, c.instance) << c.policy.get_policyName();
    EXPECT_EQ(backupSet, "defaultBackupSet");
    EXPECT_EQ(subclient, c.subclient);
  }
}

// Paths into the built tree.
CNMessageBase* Record(App::ClientsList& list, size_t n = 0) {
  return msgbuild::Nested(&msgbuild::List(&list, 1, 1)->at(n), 1, 1, 30, 115);
}
std::vector<CNMessageBase>& Agents(CNMessageBase* record) { return *msgbuild::List(record, 20, 29); }
std::vector<CNMessageBase>& Subclients(CNMessageBase& agent, size_t instance = 0) {
  CNMessageBase& inst = msgbuild::List(&agent, 6, 6)->at(instance);
  return *msgbuild::List(&msgbuild::List(&inst, 8, 8)->at(0), 6, 6);
}
std::string NameOf(CNMessageBase& node) { return msgbuild::Nested(&node, 1, 1, 18, 10)->getstring(1, 1); }
std::vector<std::string> Values(CNMessageBase& node, short i, short t) {
  std::vector<std::string> out;
  if (auto* list = msgbuild::List(&node, i, t))
    for (CNMessageBase& a : *list) out.push_back(a.getstring(5, 8));
  return out;
}

class ClientTree : public JobFixture {};

TEST_F(ClientTree, FileSystemResourcesShowTheRootButKeepAllInTheModel) {
  NWKClientInfo client = Client("Windows NT Server on Intel",
                                {Policy("Manual", "UNKNOWN", {"All"}), Policy("subclient1", "Filesystem", {"All", "D:\\x"}),
                                 Policy("Default", "Filesystem", {"all"})});
  App::ClientsList list;
  ASSERT_TRUE(client.BuildClientHierarchy(&list));
  std::vector<CNMessageBase>& agents = Agents(Record(list));
  ASSERT_EQ(agents.size(), 2u);  // 130 for Manual, 33 for both file system resources
  std::vector<CNMessageBase>& fs = Subclients(agents[1]);
  ASSERT_EQ(fs.size(), 2u);  // "default" (filled by the resource named Default) and subclient1
  EXPECT_EQ(NameOf(fs[0]), "default");
  EXPECT_EQ(fs[0].getint64(6), 8);
  EXPECT_EQ(Values(fs[0], 7, 10), std::vector<std::string>{"\\"});
  EXPECT_EQ(NameOf(fs[1]), "subclient1");
  EXPECT_EQ(Values(fs[1], 7, 10), (std::vector<std::string>{"\\", "D:\\x"}));
  EXPECT_EQ(client.get_policyList()[1].get_const_backuplistref()[0], "All");  // job matching needs it
  std::vector<CNMessageBase>& manual = Subclients(agents[0]);
  ASSERT_EQ(manual.size(), 2u);
  EXPECT_EQ(NameOf(manual[1]), "Manual");
  EXPECT_EQ(Values(manual[1], 7, 10), std::vector<std::string>{"All"});
}

TEST_F(ClientTree, SqlServerResourcesShareTheirInstance) {
  NWKPolicyInfo full = Policy("subclient1", "SQL Server", {"MSSQL$P:", "MSSQL$P:db1"});
  full.set_compression(true);
  NWKClientInfo client = Client("Windows NT Server on Intel", {full, Policy("subclient2", "SQL Server", {"MSSQL$P:"})});
  App::ClientsList list;
  ASSERT_TRUE(client.BuildClientHierarchy(&list));
  CNMessageBase& agent = Agents(Record(list)).at(0);
  CNMessageBase& instance = msgbuild::List(&agent, 6, 6)->at(0);
  EXPECT_EQ(msgbuild::List(&agent, 6, 6)->size(), 1u);
  EXPECT_EQ(msgbuild::List(&instance, 5, 5)->size(), 2u);  // "MSSQL Version" once per resource
  std::vector<CNMessageBase>& subclients = Subclients(agent);
  ASSERT_EQ(subclients.size(), 3u);
  std::vector<std::string> props;  // name/kind=value
  for (CNMessageBase& p : *msgbuild::List(&subclients[1], 6, 9))
    props.push_back(p.getstring(3, 3) + "/" + std::to_string(p.getint64(7)) + "=" + p.getstring(5, 8));
  EXPECT_EQ(props, (std::vector<std::string>{"/118=0 0", "db1/118=0 0", "compression/2=0", "Encrypt: encryption/2=0"}));
}

}  // namespace
