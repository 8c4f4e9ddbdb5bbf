// Configuration discovery: options, the host exchange, and the date format.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "hx/Files.h"
#include "hx/MessageClasses.h"
#include "hx/XmlForm.h"

namespace {

class DiscoverConfig : public JobFixture {
 protected:
  int Run(FDC::ExternalNBUConfig* config) {
    CForeignHandlerNWK handler(7);
    handler.SetOffline(hx::JobContext::Current().offline);
    int status = handler.DiscoverConfig(config);
    locale_ = CForeignHandlerNWK::get_locale();
    return status;
  }
  void GivenSetting(const std::string& ini) {
    testutil::WriteFile(Results("settings.ini"), ini);
    hx::JobContext::Current().settingsFile = Results("settings.ini");
  }
  void GivenHostLink() {
    hx::JobContext& job = hx::JobContext::Current();
    job.hostLinkDir = Results("link");
    job.offline = false;
    hx::MakeDirectories(Results("link/inbox"), nullptr);
  }
  std::vector<int> Options(FDC::ExternalNBUConfig& config) { return *config.getlistint(20, 62, 0, 0, false); }
  std::string locale_;
};

TEST_F(DiscoverConfig, OfflineAppendsOptionsAndSettlesTheDefaultFormat) {
  FDC::ExternalNBUConfig config;
  config.getlistint(20, 62, 0, 0, true)->push_back(9);
  EXPECT_EQ(Run(&config), 1);
  EXPECT_EQ(Options(config), (std::vector<int>{9, 1, 4, 5, 3}));
  EXPECT_EQ(locale_, "MM/dd/YYYY");
  EXPECT_NE(Log().find("Value defaulted to [MM/dd/YYYY]"), std::string::npos);
  EXPECT_FALSE(config.isSet(16));
}

// The setting stands in for a missing locale file; the file wins over it.
TEST_F(DiscoverConfig, SettingStandsInForAMissingLocaleFile) {
  GivenSetting("[Pluvex]\nsNWKLOCALEFORMAT=dd.MM.yyyy\n");
  FDC::ExternalNBUConfig config;
  EXPECT_EQ(Run(&config), 1);
  EXPECT_EQ(locale_, "dd.MM.yyyy");
  EXPECT_NE(Log().find("overridden to [dd.MM.yyyy] with registry key 'Pluvex//sNWKLOCALEFORMAT'"), std::string::npos);
  GivenReport("tarn_nwk_localeconfig.txt", "key\nsShortDate REG_SZ yyyy-MM-dd\n");
  Run(&config);
  EXPECT_EQ(locale_, "yyyy-MM-dd");
}

TEST_F(DiscoverConfig, HostLinkWithoutResponseSendsTheRequestOnly) {
  GivenHostLink();
  FDC::ExternalNBUConfig config;
  EXPECT_EQ(Run(&config), 1);
  EXPECT_TRUE(hx::FileExists(Results("link/outbox/00001_FDC_ExternalNBUConfig.xml")));
  EXPECT_FALSE(hx::FileExists(Results("link/outbox/00002_FDC_DiscoveryError.xml")));
  EXPECT_FALSE(config.isSet(16));
}

TEST_F(DiscoverConfig, ResponseFieldsAreCopiedAndStatusIsSent) {
  GivenHostLink();
  FDC::ExternalNBUConfig response;
  response.setint64(16, 58, 11);
  response.setint64(18, 60, 13);
  std::vector<unsigned long> ids{7, 8};
  response.setlistulong(24, 75, &ids);
  response.setstring(25, 76, "instance-1");
  std::string error;
  ASSERT_TRUE(hx::WriteMessageXmlFile(response, Results("link/inbox/FDC_ExternalNBUConfig.xml"), &error)) << error;

  FDC::ExternalNBUConfig config;
  EXPECT_EQ(Run(&config), 1);
  EXPECT_EQ(config.getint64(58), 11);
  EXPECT_EQ(config.getint64(59), 0);  // absent in the response: written as 0
  EXPECT_TRUE(config.isSet(17));
  EXPECT_EQ(config.getint64(60), 13);
  EXPECT_EQ(*config.getlistulong(24, 75, 0, 0, false), ids);
  EXPECT_EQ(config.getstring(25, 76), "instance-1");

  CNMessageBase status(0, 0);
  ASSERT_TRUE(hx::ReadMessageXmlFile(Results("link/outbox/00002_FDC_DiscoveryError.xml"), &status, &error)) << error;
  EXPECT_EQ(status.getstring(6, 9), "No errors");
  EXPECT_EQ(status.getint64(2), 7);
  EXPECT_EQ(status.getint64(3), 9);
}

TEST_F(DiscoverConfig, MalformedResponseIsIgnoredWithALogLine) {
  GivenHostLink();
  testutil::WriteFile(Results("link/inbox/FDC_ExternalNBUConfig.xml"), "<msg module=\"32\" type=\"74\"><int64");
  FDC::ExternalNBUConfig config;
  EXPECT_EQ(Run(&config), 1);
  EXPECT_FALSE(config.isSet(16));
  EXPECT_NE(Log().find("FDC_ExternalNBUConfig.xml"), std::string::npos);
}

}  // namespace
