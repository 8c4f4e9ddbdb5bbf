// Every fetcher's command as the runner will run it: the argument vector after
// the host's splitter, without a server named and with one (-s NAME, one word).
#include <gtest/gtest.h>

#include <functional>

#include "JobFixture.h"
#include "fetchers/CNWKClientInfoFetcher.h"
#include "fetchers/CNWKDirectiveInfoFetcher.h"
#include "fetchers/CNWKDriveInfoFetcher.h"
#include "fetchers/CNWKGroupInfoFetcher.h"
#include "fetchers/CNWKJobInfoFetcher.h"
#include "fetchers/CNWKLibraryInfoFetcher.h"
#include "fetchers/CNWKMediaInfoFetcher.h"
#include "fetchers/CNWKScheduleInfoFetcher.h"
#include "fetchers/CNWKServerInfoFetcher.h"
#include "fetchers/CNWKStorageNodeFetcher.h"
#include "fetchers/CNWKStoragePolicyInfoFetcher.h"
#include "hx/CommandLine.h"

namespace {

using Args = std::vector<std::string>;

template <typename Fetcher>
struct Exposed : Fetcher {
  using Fetcher::_GetCommandLine;
};

// A command line split as the host splits it before running it.
hx::ParsedCommand SplitLine(const std::string& line) {
  hx::ParsedCommand command;
  std::string error;
  EXPECT_TRUE(hx::ParseCommandLine(line, &command, &error)) << error;
  return command;
}

template <typename Fetcher>
hx::ParsedCommand Split() {
  Exposed<Fetcher> fetcher;
  return SplitLine(fetcher._GetCommandLine());
}

hx::ParsedCommand SplitSaveSets(const std::string& group) {
  Exposed<CNWKJobInfoFetcher> fetcher;
  fetcher.set_groupName(group);
  return SplitLine(fetcher._GetCommandLine());
}

const std::string kColumns = "group,client,name,level,nsavetime,totalsize,sscomp(25),nfiles,volume,location,volid,barcode";

struct Case {
  const char* fetcher;
  std::function<hx::ParsedCommand()> split;
  Args arguments;  // after the program name (and -s NAME)
  bool script;     // nsradmin reads its script through an input redirection
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> kCases = {
      {"server", Split<CNWKServerInfoFetcher>, {}, true},
      {"client", Split<CNWKClientInfoFetcher>, {}, true},
      {"storage node", Split<CNWKStorageNodeFetcher>, {}, true},
      {"directive", Split<CNWKDirectiveInfoFetcher>, {}, true},
      {"group", Split<CNWKGroupInfoFetcher>, {}, true},
      {"schedule", Split<CNWKScheduleInfoFetcher>, {}, true},
      {"pool", Split<CNWKStoragePolicyInfoFetcher>, {}, true},
      {"device", Split<CNWKDriveInfoFetcher>, {}, true},
      {"jukebox", Split<CNWKLibraryInfoFetcher>, {}, true},
      {"media", Split<CNWKMediaInfoFetcher>, {"-xc,", "-m", "-av"}, false},
      {"manual save sets", [] { return SplitSaveSets(""); },
       {"-xc,", "-aocnt", "-r", kColumns, "-q", "level=manual"}, false},
      {"group save sets", [] { return SplitSaveSets("Ops \"$(x)\""); },
       {"-xc,", "-aocnt", "-r", kColumns, "-q", "group=Ops \"$(x)\""}, false},
  };
  return kCases;
}

class CommandLines : public JobFixture {
 protected:
  // Checks every fetcher's argument vector: program, then -s `server` when one
  // is named, then the fetcher's own arguments; nsradmin's script comes from a file.
  void ExpectEveryCommand(const std::string& server) {
    for (const Case& c : Cases()) {
      SCOPED_TRACE(std::string(c.fetcher) + " fetcher, server [" + server + "]");
      hx::ParsedCommand command = c.split();
      Args expected = {c.script ? "nsradmin" : "mminfo"};
      if (!server.empty()) expected.insert(expected.end(), {"-s", server});
      expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
      EXPECT_EQ(command.argv, expected);
      EXPECT_EQ(command.stdinPath.empty(), !c.script);
    }
  }
};

TEST_F(CommandLines, WithoutAServerNoCommandNamesOne) { ExpectEveryCommand(""); }

TEST_F(CommandLines, ANamedServerIsOneArgumentAfterDashS) {
  for (const char* server : {"nwsrv01", "nw srv.example.com", "a\"b'c", "$(touch /tmp/x)`id`;|&", "back\\slash\\",
                             "*?[x] <in >out", "tab\there"}) {
    hx::JobContext::Current().foreignServer = server;
    ExpectEveryCommand(server);
  }
}

}  // namespace
