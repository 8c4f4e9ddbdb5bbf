// Shared pieces of the nsradmin and mminfo stand-ins: the dataset directory, reading a
// stored report and writing it to standard output unchanged, the file-safe name
// encoding, and the switch that makes a tool answer as if the server were stopped.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace nwkemu {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Environment variables: the dataset directory, and the failure switch.
inline constexpr const char* kDataEnv = "NWK_EMULATOR_DATA";
inline constexpr const char* kFailEnv = "NWK_EMULATOR_FAIL";

// True when NWK_EMULATOR_FAIL is set to a non-empty value.
bool FailSwitchOn();

// Writes `message` and a line feed to standard error and returns kExitFailure, so that
// a caller can `return Fail(...)`.
int Fail(std::string_view message);
// The same for "<tool>: <message>".
int Fail(std::string_view tool, std::string_view message);

// The directory named by NWK_EMULATOR_DATA. False, with `error` saying why, when the
// variable is unset or empty or does not name a directory.
bool DataDirectory(std::string* dir, std::string* error);

enum class FileStatus { kRead, kMissing, kUnreadable };

// Reads the dataset file `name` of `dir` whole, bytes unchanged. `name` must be a plain
// file name; one holding '/' is refused as unreadable, so that nothing outside `dir` is
// ever opened. `error` is filled for kUnreadable only.
FileStatus ReadDataFile(const std::string& dir, const std::string& name, std::string* content,
                        std::string* error);

// Takes a leading "-s <server>" off `args` into `server` (both tools accept it
// first). `server` is left empty when `args` does not start with -s and a value.
void TakeServerOption(std::vector<std::string_view>* args, std::string* server);

// Checks that `server` (empty: the tools' own server) names the server of the
// dataset, the "name:" of its tarn_server.txt, compared without regard to case.
// Any other name is answered as an unreachable server would be: "<tool>: RPC
// error: ..." on standard error and kExitFailure. Returns kExitSuccess when it matches.
int CheckServer(std::string_view tool, const std::string& dir, const std::string& server);

// Writes `bytes` to standard output unchanged. False when the write fails.
bool WriteOut(std::string_view bytes);

// Makes a name from the command line usable inside a file name: '%', '/', '\\', bytes
// below 0x20 and a leading '.' become %XX (upper-case hex); every other byte is kept.
std::string SafeFileName(std::string_view name);

// Lower-cases ASCII letters only, as the C library's tolower does in the "C" locale.
std::string ToLowerAscii(std::string_view text);

// True when `text` holds a byte other than blank, tab, carriage return or line feed.
bool HasContent(std::string_view text);

// Runs `body` (returning an exit code) so that no exception leaves a tool's main: one
// that escapes is reported on standard error as "<tool>: <what>" and gives kExitFailure.
template <typename Body>
int RunGuarded(std::string_view tool, Body body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    return Fail(tool, e.what());
  } catch (...) {
    return Fail(tool, "unexpected failure");
  }
}

}  // namespace nwkemu
