// Stand-in for NetWorker's nsradmin: reads a script of "print type:<resource type>"
// lines from standard input and answers each with the report stored for that type in
// the dataset directory (NWK_EMULATOR_DATA), byte for byte.
//
// A stored report is the whole output of `nsradmin < script` for one print command,
// banner and prompts included, so each print command is answered as if it were the
// only one of its script. A type with no stored report is answered the way nsradmin
// answers a query that matches nothing:
//
//   NetWorker administration program.
//   Use the "help" command for help, "visual" for full-screen mode.
//   nsradmin> No resources found for query:
//                           type: NSR bogus;
//   nsradmin>
//
// Only the type query is modelled: other attributes in the query, other commands and
// any command-line option but "-s <server>" are refused. With -s the emulator answers
// only when <server> is the dataset's server, and fails as an unreachable server otherwise.
#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "EmulatorCommon.h"

namespace {

constexpr char kTool[] = "nsradmin";
constexpr char kServerDown[] = "nsradmin: RPC error: Remote system error - Connection refused";
constexpr char kUsage[] =
    "usage: nsradmin [-s server] < script\n"
    "This stand-in takes no other option; each script line reads \"print type:<resource type>\".";
constexpr char kBanner[] =
    "NetWorker administration program.\n"
    "Use the \"help\" command for help, \"visual\" for full-screen mode.\n";
constexpr char kPrompt[] = "nsradmin> ";

// Resource types (lower case, single blanks) and the dataset file holding each report.
struct ReportFile {
  const char* type;
  const char* file;
};
constexpr ReportFile kReports[] = {
    {"nsr", "tarn_server.txt"},
    {"nsr client", "tarn_client.txt"},
    {"nsr storage node", "tarn_storagenode.txt"},
    {"nsr directive", "tarn_directive.txt"},
    {"nsr group", "tarn_group.txt"},
    {"nsr schedule", "tarn_schedule.txt"},
    {"nsr pool", "tarn_storagepolicies.txt"},
    {"nsr device", "tarn_drives.txt"},
    {"nsr jukebox", "tarn_libraries.txt"},
};

enum class CommandKind { kBlank, kPrint, kQuit, kUnsupported };

struct Command {
  CommandKind kind = CommandKind::kUnsupported;
  std::string type;  // for kPrint: the type as written, blanks collapsed
};

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Consumes `word` (ignoring case) at the start of `text`; false leaves `text` unchanged.
bool ConsumeWord(std::string_view* text, std::string_view word) {
  if (text->size() < word.size()) return false;
  if (nwkemu::ToLowerAscii(text->substr(0, word.size())) != word) return false;
  text->remove_prefix(word.size());
  return true;
}

std::string CollapseBlanks(std::string_view text) {
  std::string out;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\t';
    if (!blank) {
      out.push_back(c);
    } else if (!out.empty() && out.back() != ' ') {
      out.push_back(' ');
    }
  }
  return out;
}

// Reads the value of "type:<value>[;]", the part after "print ".
bool ParseTypeQuery(std::string_view query, std::string* type) {
  query = TrimBlanks(query);
  if (!ConsumeWord(&query, "type")) return false;
  query = TrimBlanks(query);
  if (query.empty() || query.front() != ':') return false;
  query.remove_prefix(1);
  if (!query.empty() && query.back() == ';') query.remove_suffix(1);
  query = TrimBlanks(query);
  if (query.empty() || query.find(';') != std::string_view::npos) return false;
  *type = CollapseBlanks(query);
  return true;
}

Command ParseLine(std::string_view line) {
  Command command;
  std::string_view text = TrimBlanks(line);
  const std::string lower = nwkemu::ToLowerAscii(text);
  if (text.empty()) {
    command.kind = CommandKind::kBlank;
  } else if (lower == "quit" || lower == "q" || lower == "exit") {
    command.kind = CommandKind::kQuit;
  } else if (ConsumeWord(&text, "print") && !text.empty() && (text[0] == ' ' || text[0] == '\t') &&
             ParseTypeQuery(text, &command.type)) {
    command.kind = CommandKind::kPrint;
  }
  return command;
}

const char* FileForType(const std::string& type) {
  const std::string key = nwkemu::ToLowerAscii(type);
  for (const ReportFile& report : kReports) {
    if (key == report.type) return report.file;
  }
  return nullptr;
}

// The query echo is laid out like a printed attribute: name right-aligned to column 28.
std::string NoResourcesAnswer(const std::string& type) {
  return std::string(kBanner) + kPrompt + "No resources found for query:\n" +
         std::string(24, ' ') + "type: " + type + ";\n" + kPrompt + "\n";
}

// Answers one print command; returns the exit code it contributes.
int AnswerPrint(const std::string& dir, const std::string& type) {
  const char* file = FileForType(type);
  std::string report;
  std::string error;
  const nwkemu::FileStatus status =
      file ? nwkemu::ReadDataFile(dir, file, &report, &error) : nwkemu::FileStatus::kMissing;
  if (status == nwkemu::FileStatus::kUnreadable) {
    return nwkemu::Fail(kTool, error);
  }
  const bool found = status == nwkemu::FileStatus::kRead;
  if (!nwkemu::WriteOut(found ? report : NoResourcesAnswer(type))) {
    return nwkemu::Fail(kTool, "cannot write to standard output");
  }
  return found ? nwkemu::kExitSuccess : nwkemu::kExitFailure;
}

// Runs the whole script; the exit code is a failure when any command failed.
int RunScript(const std::string& dir, std::string_view script) {
  int result = nwkemu::kExitSuccess;
  bool printed = false;
  size_t start = 0;
  while (start < script.size()) {
    const size_t end = std::min(script.find('\n', start), script.size());
    const std::string_view line = script.substr(start, end - start);
    start = end + 1;
    const Command command = ParseLine(line);
    if (command.kind == CommandKind::kQuit) break;
    if (command.kind == CommandKind::kBlank) continue;
    if (command.kind == CommandKind::kUnsupported) {
      return nwkemu::Fail(kTool, "unsupported script line: " + std::string(TrimBlanks(line)));
    }
    printed = true;
    if (AnswerPrint(dir, command.type) != nwkemu::kExitSuccess) result = nwkemu::kExitFailure;
  }
  if (!printed && !nwkemu::WriteOut(std::string(kBanner) + kPrompt + "\n")) {
    return nwkemu::Fail(kTool, "cannot write to standard output");
  }
  return result;
}

int Run(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string server;
  nwkemu::TakeServerOption(&args, &server);
  if (!args.empty()) return nwkemu::Fail(kUsage);
  if (nwkemu::FailSwitchOn()) return nwkemu::Fail(kServerDown);
  std::string dir;
  std::string error;
  if (!nwkemu::DataDirectory(&dir, &error)) return nwkemu::Fail(kTool, error);
  if (nwkemu::CheckServer(kTool, dir, server) != nwkemu::kExitSuccess) return nwkemu::kExitFailure;
  const std::string script((std::istreambuf_iterator<char>(std::cin)),
                           std::istreambuf_iterator<char>());
  return RunScript(dir, script);
}

}  // namespace

int main(int argc, char** argv) {
  return nwkemu::RunGuarded(kTool, [argc, argv] { return Run(argc, argv); });
}
