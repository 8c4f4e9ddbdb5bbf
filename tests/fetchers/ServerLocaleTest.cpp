// Server and locale reports.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "fetchers/CNWKLocaleInfoFetcher.h"
#include "fetchers/CNWKServerInfoFetcher.h"

namespace {

using Locale = CNWKLocaleInfoFetcher;

class ServerFetcher : public JobFixture {};

TEST_F(ServerFetcher, FirstNameLineIsTheServerAndEntersTheClientMap) {
  NWKClientMap clients;
  std::string name = CNWKServerInfoFetcher::ParseServerReport(
      "\r\n                        type: NSR;\r\n                        name: nwsrv1;\r\n"
      "                        name: other;\r\n",
      &clients);
  EXPECT_EQ(name, "nwsrv1");
  EXPECT_EQ(CForeignHandlerNWK::get_NWKServerName(), "nwsrv1");
  ASSERT_EQ(clients.count("NWSRV1"), 1u);
  const NWKClientInfo& server = clients.at("nwsrv1");
  EXPECT_TRUE(server.get_isMasterServer());
  EXPECT_TRUE(server.get_isMediaServer());
}

TEST_F(ServerFetcher, ExistingClientEntryIsLeftAsItIs) {
  NWKClientMap clients;
  clients["NWSRV1"].set_clientName("NWSRV1");
  CNWKServerInfoFetcher::ParseServerReport("name: nwsrv1;\n", &clients);
  EXPECT_EQ(clients.size(), 1u);
  EXPECT_FALSE(clients.at("nwsrv1").get_isMasterServer());
  EXPECT_EQ(CForeignHandlerNWK::get_NWKServerName(), "nwsrv1");
}

TEST_F(ServerFetcher, MissingReportWarnsAndStillSucceeds) {
  CForeignCmdExecBase::set_UseExistingFiles(true);
  GivenReport("tarn_server.txt", "type: NSR;\nversion: NetWorker 8.2;\n");
  NWKClientMap clients;
  CNWKServerInfoFetcher fetcher;
  EXPECT_TRUE(fetcher.FetchData(&clients));
  EXPECT_TRUE(clients.empty());
  EXPECT_NE(Log().find("WARNING: Failed to determine server name from tarn_server.txt"), std::string::npos);
}

TEST(LocaleReport, ValueAfterRegSzIsTheFormat) {
  struct Case { const char* text; Locale::LocaleResult result; const char* format; } cases[] = {
      {"HKEY_CURRENT_USER\\Control Panel\\International\n    sShortDate    REG_SZ    dd.MM.yyyy   \n",
       Locale::LocaleResult::kFound, "dd.MM.yyyy"},
      {"key\r\n\r\n  sShortDate\tREG_SZ\tM/d/yyyy\r\n", Locale::LocaleResult::kFound, "M/d/yyyy"},
      {"", Locale::LocaleResult::kTooShort, "MM/dd/YYYY"},
      {"only a key line\n", Locale::LocaleResult::kTooShort, "MM/dd/YYYY"},
      {"key\nsShortDate REG_DWORD 1\n", Locale::LocaleResult::kNoRegSz, "MM/dd/YYYY"},
      {"key\nsShortDate REG_SZ   \n", Locale::LocaleResult::kNoRegSz, "MM/dd/YYYY"},  // mended: empty format
  };
  for (const Case& c : cases) {
    std::string format = "stale";
    EXPECT_EQ(Locale::ParseLocaleReport(c.text, &format, nullptr), c.result) << c.text;
    EXPECT_EQ(format, c.format) << c.text;
  }
}

class LocaleFetcher : public JobFixture {};

// Nothing is run: the file present is read, else the default stands.
TEST_F(LocaleFetcher, ReadsTheFilePresentElseFailsWithTheDefault) {
  std::string format;
  EXPECT_FALSE(Locale().FetchData(&format));
  EXPECT_EQ(format, "MM/dd/YYYY");
  GivenReport("tarn_nwk_localeconfig.txt", "key\nsShortDate REG_SZ dd/MM/yy\n");
  EXPECT_TRUE(Locale().FetchData(&format));
  EXPECT_EQ(format, "dd/MM/yy");
}

}  // namespace
