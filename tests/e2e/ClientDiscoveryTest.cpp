// Client discovery through nwk-discover: names that hold across runs, the
// emulated live server, and the report to the host when its daemons are down.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "hx/Files.h"
#include "hx/Message.h"
#include "hx/XmlForm.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";

class ClientDiscovery : public ::testing::Test {
 protected:
  int Discover(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", Out()});
    env.push_back("TZ=UTC");
    return testutil::RunProgram(args, env, &output_);
  }
  std::vector<std::string> LiveEnv(bool failing) const {
    std::vector<std::string> env = {std::string("PATH=") + NWK_EMULATOR_DIR + ":/usr/bin:/bin",
                                    "NWK_EMULATOR_DATA=" + kSample};
    if (failing) env.push_back("NWK_EMULATOR_FAIL=1");
    return env;
  }
  std::string Out() const { return dir_ / "out"; }
  testutil::ScopedTempDir dir_;
  std::string output_;
};

TEST_F(ClientDiscovery, SecondRunKeepsSubclientNamesAndNumbersNewResourcesOn) {
  // A copy of the sample with one more resource for winfs01.
  std::string dataset = dir_ / "dataset";
  hx::MakeDirectories(dataset, nullptr);
  for (const char* name : {"tarn_server.txt", "tarn_storagenode.txt", "tarn_directive.txt", "tarn_group.txt"})
    testutil::WriteFile(dataset + "/" + name, testutil::ReadFile(kSample + "/" + name));
  std::string clients = testutil::ReadFile(kSample + "/tarn_client.txt");
  testutil::WriteFile(dataset + "/tarn_client.txt", clients);
  ASSERT_EQ(Discover({"--replay", dataset, "clients"}), 0) << output_;
  std::string first = testutil::ReadFile(Out() + "/0/winfs01.txt");
  EXPECT_EQ(first, "3\nArchive_Monthly_C:\\,subclient2\nWIN_Daily_C:\\,subclient1\n");

  testutil::WriteFile(dataset + "/tarn_client.txt",
                      clients + "name: winfs01;\ngroup: Default;\nsave set: F:\\;\nlicensed PSPs: ;\n");
  ASSERT_EQ(Discover({"--replay", dataset, "clients"}), 0) << output_;
  EXPECT_EQ(testutil::ReadFile(Out() + "/0/winfs01.txt"),
            "4\nArchive_Monthly_C:\\,subclient2\nDefault_F:\\,subclient3\nWIN_Daily_C:\\,subclient1\n");
}

TEST_F(ClientDiscovery, DaemonsDownIsReportedToTheHostUnlessOffline) {
  std::string link = dir_ / "link";
  EXPECT_EQ(Discover({"--live", "--host-link", link, "clients"}, LiveEnv(true)), 1) << output_;
  CNMessageBase error(0, 0);
  std::string why;
  ASSERT_TRUE(hx::ReadMessageXmlFile(link + "/outbox/00001_FDC_DiscoveryError.xml", &error, &why)) << why;
  EXPECT_EQ(error.getint64(3), 9);
  EXPECT_EQ(error.getint64(8), 1);
  EXPECT_EQ(error.getstring(6, 9), "Daemons are not running");
  EXPECT_FALSE(hx::FileExists(Out() + "/xml/00001_App_ClientsList.xml"));
  std::string log = testutil::ReadFile(Out() + "/nwk-discover.log");
  EXPECT_NE(log.find("Failed to fetch directive information"), std::string::npos) << log;

  EXPECT_EQ(Discover({"--live", "--host-link", dir_ / "link2", "--offline", "clients"}, LiveEnv(true)), 1);
  EXPECT_FALSE(hx::FileExists(dir_ / "link2/outbox"));
}

}  // namespace
