// Stable subclient names across runs, and map files that stay where they belong.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "JobFixture.h"
#include "model/CSaveSetMapHandler.h"
#include "hx/Files.h"

namespace {

class SaveSetMap : public JobFixture {
 protected:
  CSaveSetMapHandler Load(const std::string& client) {
    CSaveSetMapHandler map;
    map.set_jobResultsDir(dir_ / "0");
    map.set_clientName(client);
    map.LoadSaveSetMap();
    return map;
  }
};

TEST_F(SaveSetMap, NamesAreStableAcrossRunsAndNewKeysContinueTheNumbering) {
  CSaveSetMapHandler first = Load("hosta");
  EXPECT_EQ(first.get_AppName("Weekly_/data"), "subclient1");
  EXPECT_EQ(first.get_AppName("Daily_/"), "subclient2");
  EXPECT_EQ(first.get_AppName("daily_/"), "subclient2");  // keys ignore case
  first.SaveMap();
  EXPECT_EQ(testutil::ReadFile(dir_ / "0/hosta.txt"), "3\nDaily_/,subclient2\nWeekly_/data,subclient1\n");

  struct stat before {}, after {};
  stat((dir_ / "0/hosta.txt").c_str(), &before);
  CSaveSetMapHandler unchanged = Load("hosta");
  EXPECT_EQ(unchanged.get_AppName("Daily_/"), "subclient2");
  unchanged.SaveMap();
  stat((dir_ / "0/hosta.txt").c_str(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino);  // nothing new: the file is left as it was

  CSaveSetMapHandler second = Load("hosta");
  EXPECT_EQ(second.get_AppName("Daily_/"), "subclient2");
  EXPECT_EQ(second.get_AppName("Monthly_/x"), "subclient3");
  EXPECT_EQ(second.get_AppName("Weekly_/data"), "subclient1");
}

TEST_F(SaveSetMap, EditedFileIsReadLeniently) {
  hx::MakeDirectories(dir_ / "0", nullptr);
  testutil::WriteFile(dir_ / "0/h.txt",
                      "17\r\n\nG_C:\\a, b,subclient4\nG_x,subclient9\nG_x,subclient5\nbroken,\n,subclient8\n");
  CSaveSetMapHandler map = Load("h");
  EXPECT_EQ(map.get_AppName("G_C:\\a, b"), "subclient4");  // a key with a comma keeps its name
  EXPECT_EQ(map.get_AppName("G_x"), "subclient9");         // the first entry of a key stays
  EXPECT_EQ(map.get_AppName("broken"), "subclient17");     // a line without a name is no entry
  EXPECT_EQ(map.get_AppName("new"), "subclient18");

  // A first line edited to a lower number, a blank CRLF line: no name given twice.
  testutil::WriteFile(dir_ / "0/h.txt", "2\r\n\r\nA,subclient7\r\nB,subclient3\r\n\rC,subclient1\n");
  CSaveSetMapHandler lower = Load("h");
  EXPECT_EQ(lower.get_AppName("A"), "subclient7");
  EXPECT_EQ(lower.get_AppName("\rC"), "subclient1");  // keys are kept byte for byte
  EXPECT_EQ(lower.get_AppName("D"), "subclient8");
}

TEST_F(SaveSetMap, ClientNamesNeverLeaveTheMapFolder) {
  for (const char* client : {"../x", "a/b", ".hidden", "..", "c:\\d"}) {
    CSaveSetMapHandler map = Load(client);
    EXPECT_EQ(map.get_AppName("G_/"), "subclient1") << client;
    map.SaveMap();
    EXPECT_EQ(Load(client).get_AppName("G_/"), "subclient1") << client;  // found again next run
  }
  EXPECT_FALSE(hx::FileExists(dir_ / "x.txt"));
  EXPECT_EQ(testutil::ListDir(dir_ / "0").size(), 5u);
}

TEST_F(SaveSetMap, LongestClientNameThatFitsIsSavedAndFoundAgain) {
  const std::string client(255 - 4, 'c');  // with ".txt", the longest file name there is
  CSaveSetMapHandler map = Load(client);
  EXPECT_EQ(map.get_AppName("G_/"), "subclient1");
  EXPECT_TRUE(map.SaveMap()) << Log();
  EXPECT_EQ(Load(client).get_AppName("G_/"), "subclient1");
  EXPECT_FALSE(Load(client + "c").SaveMap());  // one more byte can never be a file name
}

}  // namespace
