// `nwk-discover compare` end to end: the sample against itself and against a
// copy edited in known ways; exit codes 0, 1 and 2; stable output.
#include <gtest/gtest.h>

#include <sstream>

#include "DiscoverRun.h"
#include "hx/Files.h"

namespace {

const std::string kSample = std::string(NWK_SOURCE_DIR) + "/samples/nwsrv-lab";

// `text` with `from` replaced by `to` once; the edit must apply.
std::string Replace(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The nsradmin resource (up to the next blank line) that holds `line`.
std::string Resource(const std::string& report, const std::string& line) {
  std::size_t at = report.find(line), start = report.rfind("\n\n", at), end = report.find("\n\n", at);
  return report.substr(start + 1, end - start);
}

class Compare : public DiscoverRun {
 protected:
  // A copy of the sample with one client removed, one added, a group's
  // schedule set, a pool given fewer devices and a medium added to a library.
  std::string EditedSample() {
    std::string dataset = testutil::CopyDataset(kSample, dir_ / "edited");
    std::string clients = testutil::ReadFile(dataset + "/tarn_client.txt");
    Edit(dataset, "tarn_client.txt", Resource(clients, "name: solsrv02;"),
         Replace(Resource(clients, "name: lnxweb01;"), "name: lnxweb01;", "name: lnxweb03;"));
    Edit(dataset, "tarn_group.txt", "schedule: ;", "schedule: Full Every Saturday;");  // group Default
    Edit(dataset, "tarn_storagepolicies.txt", "devices: \"\\\\\\\\.\\\\Tape1\", \"\\\\\\\\.\\\\Tape2\";",
         "devices: \"\\\\\\\\.\\\\Tape2\";");
    Edit(dataset, "tarn_libraries.txt", "A00011L5, A00012L5;", "A00011L5, A00012L5, A00013L5;");
    return dataset;
  }
  // Replaces `from` by `to` once in report `name` of `dataset`.
  static void Edit(const std::string& dataset, const std::string& name, const std::string& from, const std::string& to) {
    testutil::WriteFile(dataset + "/" + name, Replace(testutil::ReadFile(dataset + "/" + name), from, to));
  }
  int Run(const std::string& oldDir, const std::string& newDir) {
    return testutil::RunProgram({NWK_DISCOVER_BIN, "compare", oldDir, newDir}, {"TZ=UTC"}, &output_);
  }
  // The printed changes of records: days and the summary line left out.
  std::string RecordLines() const {
    std::istringstream in(output_);
    std::string out, line;
    bool inMedium = false;
    while (std::getline(in, line)) {
      if (line.rfind("day ", 0) == 0 || line.find(" difference(s)") != std::string::npos) continue;
      if (line.rfind("medium changed", 0) == 0) inMedium = true;  // job counts: see below
      else if (line.rfind("  ", 0) != 0) inMedium = false;
      if (!inMedium) out += line + "\n";
    }
    return out;
  }
};

TEST_F(Compare, SameEstateHasNoDifference) {
  ASSERT_EQ(Discover(dir_ / "a", {}), 0) << output_;
  ASSERT_EQ(Discover(dir_ / "b", {}), 0) << output_;
  EXPECT_EQ(Run(dir_ / "a", dir_ / "b"), 0) << output_;
  EXPECT_NE(output_.find("0 difference(s)"), std::string::npos) << output_;
  std::string json = testutil::ReadFile(dir_ / "b/changes.json");
  EXPECT_NE(json.find("\"differences\": 0,"), std::string::npos) << json;
  std::string html = testutil::ReadFile(dir_ / "b/changes.html");
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("http"), std::string::npos);
}

TEST_F(Compare, EditedCopyGivesTheExpectedChangeList) {
  ASSERT_EQ(Discover(dir_ / "old", {}), 0) << output_;
  int status = Discover(dir_ / "new", {"--replay", EditedSample()});
  ASSERT_TRUE(status == 0 || status == 1) << output_;
  ASSERT_EQ(Run(dir_ / "old", dir_ / "new"), 1) << output_;
  // Removing solsrv02 also drops its save sets: fewer jobs on some days and on
  // the media that held them (those lines are checked only by count).
  EXPECT_EQ(RecordLines(),
            "client added: \"lnxweb03\"\n"
            "client removed: \"solsrv02\"\n"
            "resource added: \"lnxweb03 / Manual\"\n"
            "resource added: \"lnxweb03 / subclient1\"\n"
            "resource changed: \"nwsrv01 / subclient1\"\n"
            "  schedule: \"Default\" -> \"Full Every Saturday\"\n"
            "resource removed: \"solsrv02 / Manual\"\n"
            "resource removed: \"solsrv02 / subclient1\"\n"
            "schedule policy removed: \"Default_Default\"\n"
            "schedule policy changed: \"Default_UNIX_Daily\"\n"
            "  subclients: \"lnxora01 / subclient1, solsrv01 / subclient1, solsrv02 / subclient1\" -> "
            "\"lnxora01 / subclient1, solsrv01 / subclient1\"\n"
            "schedule policy added: \"Full Every Saturday_Default\"\n"
            "schedule policy changed: \"Full Saturday Level Weekdays_UNIX_Daily\"\n"
            "  subclients: \"lnxweb01 / subclient1\" -> \"lnxweb01 / subclient1, lnxweb03 / subclient1\"\n"
            "pool changed: \"Archive\"\n"
            "  copies: \"\\\\.\\Tape1_i500@3.0.0_nwsrv01\" -> \"\"\n"
            "  libraries: \"i500@3.0.0\" -> \"\"\n"
            "medium added: \"A00013L5\"\n");
  EXPECT_NE(output_.find("day 2026-11-16: jobs 17 -> 16 (-1), bytes 12326145513 -> 11886732744\n"), std::string::npos);
  std::string json = testutil::ReadFile(dir_ / "new/changes.json");
  EXPECT_NE(json.find("\"differences\": 34,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"clients\": {\n    \"added\": [\"lnxweb03\"],\n    \"removed\": [\"solsrv02\"],\n    \"changed\": []"),
            std::string::npos) << json;
  EXPECT_NE(json.find("{\"name\": \"nwsrv01 / subclient1\", \"attributes\": [{\"attribute\": \"schedule\", "
                      "\"old\": \"Default\", \"new\": \"Full Every Saturday\"}]}"),
            std::string::npos) << json;
  std::string html = testutil::ReadFile(dir_ / "new/changes.html");
  EXPECT_NE(html.find("<td>solsrv02</td><td>removed</td>"), std::string::npos);
  // Stable: the same comparison writes the same files.
  std::string first = output_;
  ASSERT_EQ(Run(dir_ / "old", dir_ / "new"), 1);
  EXPECT_EQ(output_, first);
  EXPECT_EQ(testutil::ReadFile(dir_ / "new/changes.json"), json);
  EXPECT_EQ(testutil::ReadFile(dir_ / "new/changes.html"), html);
}

TEST_F(Compare, BadDirectoriesAndArguments) {
  ASSERT_EQ(Discover(dir_ / "a", {"clients"}), 0) << output_;
  hx::MakeDirectories(dir_ / "empty", nullptr);
  EXPECT_EQ(Run(dir_ / "a", dir_ / "absent"), 2) << output_;
  EXPECT_NE(output_.find("absent' does not exist"), std::string::npos) << output_;
  EXPECT_EQ(Run(dir_ / "empty", dir_ / "a"), 2) << output_;
  EXPECT_EQ(testutil::RunProgram({NWK_DISCOVER_BIN, "compare", dir_ / "a"}, {}, &output_), 2);
  EXPECT_NE(output_.find("compare OLD NEW"), std::string::npos) << output_;
}

}  // namespace
