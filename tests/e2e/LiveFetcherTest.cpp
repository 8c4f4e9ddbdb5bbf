// Fetchers on the live path: the nsradmin emulator run as a real process with
// its script redirected from the input file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "JobFixture.h"
#include "fetchers/CNWKServerInfoFetcher.h"
#include "hx/Files.h"

namespace {

class LiveFetcher : public JobFixture {
 protected:
  void SetUp() override {
    JobFixture::SetUp();
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", (std::string(NWK_EMULATOR_DIR) + ":" + savedPath_).c_str(), 1);
    setenv("NWK_EMULATOR_DATA", (std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("NWK_EMULATOR_DATA");
    unsetenv("NWK_EMULATOR_FAIL");
    JobFixture::TearDown();
  }
  std::string savedPath_;
};

TEST_F(LiveFetcher, ServerReportIsFetchedKeptAndParsed) {
  NWKClientMap clients;
  std::string inputFile;
  {
    CNWKServerInfoFetcher fetcher;
    inputFile = fetcher.GetInputFilePath();
    ASSERT_TRUE(fetcher.FetchData(&clients)) << fetcher.get_lastError();
    EXPECT_EQ(testutil::ReadFile(inputFile), "print type:NSR\n");
  }
  EXPECT_FALSE(hx::FileExists(inputFile));  // the fetcher removes its script
  EXPECT_EQ(CForeignHandlerNWK::get_NWKServerName(), "nwsrv01");
  EXPECT_EQ(testutil::ReadFile(Results("tarn_server.txt")),
            testutil::ReadFile(std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab/tarn_server.txt"));
}

}  // namespace
