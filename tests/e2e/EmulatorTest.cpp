// End-to-end tests of the nsradmin and mminfo stand-ins: each case runs the built tool as
// a child process on the bundled sample and checks its output bytes and exit code.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

const std::string kEmulatorDir = NWK_EMULATOR_DIR;
const std::string kSampleDir = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";
const std::string kSaveSetSpec =
    "group,client,name,level,nsavetime,totalsize,sscomp(25),nfiles,volume,location,volid,barcode";
const std::string kSaveSetHeader =
    "group,client,name,level,save-time,total,ss-completed,files,volume,location,volid,barcode\n";
const std::string kNoMatches = "6095: mminfo: no matches found for the query\n";

struct Invocation {
  std::string tool;
  std::vector<std::string> args;
  std::string input;
  std::vector<std::string> env;  // "NAME=value", added to the test's own environment
};

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadSample(const std::string& name) {
  std::ifstream in(kSampleDir + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << "sample file " << name;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The child's environment: ours without any emulator setting, the sample as dataset,
// plus the invocation's own settings.
std::vector<std::string> ChildEnvironment(const Invocation& inv) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("NWK_EMULATOR_", 0) != 0) env.emplace_back(*entry);
  }
  env.push_back("NWK_EMULATOR_DATA=" + kSampleDir);
  env.insert(env.end(), inv.env.begin(), inv.env.end());
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Reads both pipes until each reaches end of file, so neither can fill up and block.
void Drain(int outFd, int errFd, Outcome* outcome) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&outcome->out, &outcome->err};
  int open = 2;
  while (open > 0 && poll(fds, 2, 10000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

Outcome RunTool(const Invocation& inv) {
  signal(SIGPIPE, SIG_IGN);  // a tool that exits before reading its input must not stop us
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2 failed";
    return {};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<std::string> argStrings{kEmulatorDir + "/" + inv.tool};
  argStrings.insert(argStrings.end(), inv.args.begin(), inv.args.end());
  std::vector<std::string> envStrings = ChildEnvironment(inv);
  std::vector<char*> argv = Pointers(argStrings);
  std::vector<char*> envp = Pointers(envStrings);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  Outcome outcome;
  if (spawned == 0 && !inv.input.empty()) {
    (void)!write(in[1], inv.input.data(), inv.input.size());  // small: fits the pipe
  }
  close(in[1]);
  Drain(out[0], err[0], &outcome);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid) {
    ADD_FAILURE() << "cannot run " << argv[0];
    return outcome;
  }
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::vector<std::string> SplitColumns(const std::string& line) {
  std::vector<std::string> columns(1);
  for (char c : line) {
    if (c == ',') {
      columns.emplace_back();
    } else {
      columns.back().push_back(c);
    }
  }
  return columns;
}

Invocation Nsradmin(const std::string& script) { return {"nsradmin", {}, script, {}}; }

Invocation MminfoSaveSets(const std::string& query) {
  return {"mminfo", {"-xc,", "-aocnt", "-r", kSaveSetSpec, "-q", query}, "", {}};
}

Invocation MminfoMedia() { return {"mminfo", {"-xc,", "-m", "-av"}, "", {}}; }

TEST(EmulatorTest, NsradminPrintsTheStoredReportOfEachType) {
  const struct {
    const char* script;
    const char* file;
  } cases[] = {
      {"print type:NSR\n", "tarn_server.txt"},
      {"print type:NSR client\n", "tarn_client.txt"},
      {"print type: NSR Storage Node;\n", "tarn_storagenode.txt"},
      {"print type:NSR Directive\n", "tarn_directive.txt"},
      {"PRINT TYPE:nsr group\r\n", "tarn_group.txt"},
      {"\nprint type:NSR schedule", "tarn_schedule.txt"},
      {"print type:NSR  pool ;\n", "tarn_storagepolicies.txt"},
      {"print type:NSR device\n", "tarn_drives.txt"},
      {"print type:NSR jukebox\nquit\n", "tarn_libraries.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const Outcome outcome = RunTool(Nsradmin(c.script));
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, ReadSample(c.file));
    EXPECT_EQ(outcome.err, "");
  }
}

TEST(EmulatorTest, NsradminAnswersAnUnknownTypeWithNoResources) {
  const Outcome outcome = RunTool(Nsradmin("print type:NSR bogus\n"));
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.out.find("No resources found for query:\n"
                             "                        type: NSR bogus;\n"),
            std::string::npos)
      << outcome.out;
}

TEST(EmulatorTest, MminfoSaveSetReportIsHeaderThenStoredRows) {
  const struct {
    const char* query;
    const char* file;
  } cases[] = {
      {"group=UNIX_Daily", "tarn_jobs_unix_daily.txt"},
      {"group=sql_logs", "tarn_jobs_sql_logs.txt"},
      {"level=manual", "tarn_jobs.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    const Outcome outcome = RunTool(MminfoSaveSets(c.query));
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, kSaveSetHeader + ReadSample(c.file));
  }
}

TEST(EmulatorTest, MminfoMediaReportIsTheStoredFile) {
  const Outcome outcome = RunTool(MminfoMedia());
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.out, ReadSample("tarn_mediainfo.txt"));
}

TEST(EmulatorTest, MminfoGroupWithoutSaveSetsGivesNumberedNoMatchMessage) {
  // Names that would leave the dataset directory if used as paths find nothing.
  for (const char* query : {"group=NDMP_Filer", "group=", "group=../tarn_server",
                            "group=../../etc/passwd", "group=.hidden"}) {
    SCOPED_TRACE(query);
    const Outcome outcome = RunTool(MminfoSaveSets(query));
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, kNoMatches);
  }
}

TEST(EmulatorTest, FailSwitchAnswersLikeAStoppedServer) {
  Invocation nsradmin = Nsradmin("print type:NSR client\n");
  Invocation mminfo = MminfoMedia();
  for (Invocation* inv : {&nsradmin, &mminfo}) {
    SCOPED_TRACE(inv->tool);
    inv->env.push_back("NWK_EMULATOR_FAIL=1");
    const Outcome outcome = RunTool(*inv);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(inv->tool + ": RPC error: "), std::string::npos) << outcome.err;
  }
}

TEST(EmulatorTest, ArgumentsOtherThanTheFetchersFormsAreRefused) {
  const std::vector<Invocation> cases = {
      {"nsradmin", {"-s", "nwsrv01"}, "print type:NSR\n", {}},
      {"nsradmin", {"-i", "-"}, "", {}},
      {"mminfo", {}, "", {}},
      {"mminfo", {"-xc,", "-m"}, "", {}},
      {"mminfo", {"-xc", "-m", "-av"}, "", {}},
      {"mminfo", {"-xc,", "-m", "-av", "-s", "nwsrv01"}, "", {}},
      {"mminfo", {"-xc,", "-aocnt", "-r", "client,name", "-q", "group=Default"}, "", {}},
      {"mminfo", {"-xc,", "-aocnt", "-r", kSaveSetSpec, "-q", "client=winfs01"}, "", {}},
      {"mminfo", {"-xc,", "-aocnt", "-r", kSaveSetSpec, "-q"}, "", {}},
  };
  for (const Invocation& inv : cases) {
    SCOPED_TRACE(inv.tool + " with " + std::to_string(inv.args.size()) + " arguments");
    const Outcome outcome = RunTool(inv);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind("usage: ", 0), 0u) << outcome.err;
  }
}

// Replay parses every line of a stored save set file, so the sample must hold rows only.
TEST(EmulatorTest, SampleSaveSetFilesHoldTwelveColumnRowsOnly) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSampleDir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("tarn_jobs", 0) != 0) continue;
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      SCOPED_TRACE(name + ": " + line);
      EXPECT_EQ(line.find('\r'), std::string::npos);
      const std::vector<std::string> columns = SplitColumns(line);
      ASSERT_EQ(columns.size(), 12u);
      EXPECT_FALSE(columns[4].empty());
      EXPECT_EQ(columns[4].find_first_not_of("0123456789"), std::string::npos) << "nsavetime";
    }
  }
  EXPECT_GE(files, 8);
}

}  // namespace
