// Shared pieces of the nsradmin and mminfo stand-ins (see EmulatorCommon.h).
#include "EmulatorCommon.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/stat.h>

namespace nwkemu {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool NeedsEscape(unsigned char c, bool first) {
  return c == '%' || c == '/' || c == '\\' || c < 0x20 || (first && c == '.');
}

void AppendEscaped(unsigned char c, std::string* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out->push_back('%');
  out->push_back(kHex[c >> 4]);
  out->push_back(kHex[c & 0x0F]);
}

std::string DescribeErrno(const std::string& path, int err) {
  return "cannot read " + path + ": " + std::strerror(err);
}

// Reads an open file to its end; false when a read error stops it.
bool ReadAll(std::FILE* file, std::string* content) {
  char buffer[8192];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    content->append(buffer, got);
  }
  return std::ferror(file) == 0;
}

// The value of the first "name:" line of an nsradmin report, trimmed of blanks
// and the closing semicolon; empty when there is none.
std::string ResourceName(std::string_view report) {
  constexpr std::string_view kName = "name:";
  for (size_t start = 0; start < report.size();) {
    const size_t end = std::min(report.find('\n', start), report.size());
    std::string_view line = report.substr(start, end - start);
    start = end + 1;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line.substr(first, kName.size()) != kName) continue;
    line.remove_prefix(first + kName.size());
    const size_t from = line.find_first_not_of(" \t");
    const size_t to = line.find_last_not_of(" \t\r;");
    return from == std::string_view::npos || to < from ? std::string() : std::string(line.substr(from, to - from + 1));
  }
  return {};
}

}  // namespace

void TakeServerOption(std::vector<std::string_view>* args, std::string* server) {
  server->clear();
  if (args->size() < 2 || (*args)[0] != "-s") return;
  *server = std::string((*args)[1]);
  args->erase(args->begin(), args->begin() + 2);
}

int CheckServer(std::string_view tool, const std::string& dir, const std::string& server) {
  if (server.empty()) return kExitSuccess;
  std::string report;
  std::string error;
  std::string known;
  if (ReadDataFile(dir, "tarn_server.txt", &report, &error) == FileStatus::kRead) known = ResourceName(report);
  if (!known.empty() && ToLowerAscii(known) == ToLowerAscii(server)) return kExitSuccess;
  return Fail(tool, "RPC error: Unable to connect to server " + server + ": Unknown host");
}

bool FailSwitchOn() {
  const char* value = std::getenv(kFailEnv);
  return value != nullptr && value[0] != '\0';
}

int Fail(std::string_view message) {
  std::string line(message);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  return kExitFailure;
}

int Fail(std::string_view tool, std::string_view message) {
  return Fail(std::string(tool) + ": " + std::string(message));
}

bool DataDirectory(std::string* dir, std::string* error) {
  const char* value = std::getenv(kDataEnv);
  if (value == nullptr || value[0] == '\0') {
    *error = std::string(kDataEnv) + " is not set: it must name the dataset directory";
    return false;
  }
  struct stat info {};
  if (stat(value, &info) != 0 || !S_ISDIR(info.st_mode)) {
    *error = std::string(kDataEnv) + " names '" + value + "', which is not a directory";
    return false;
  }
  *dir = value;
  return true;
}

FileStatus ReadDataFile(const std::string& dir, const std::string& name, std::string* content,
                        std::string* error) {
  if (name.empty() || name.find('/') != std::string::npos) {
    *error = "refusing dataset file name '" + name + "'";
    return FileStatus::kUnreadable;
  }
  const std::string path = dir + "/" + name;
  errno = 0;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    if (errno == ENOENT) return FileStatus::kMissing;
    *error = DescribeErrno(path, errno);
    return FileStatus::kUnreadable;
  }
  content->clear();
  if (!ReadAll(file.get(), content)) {
    *error = DescribeErrno(path, errno);
    return FileStatus::kUnreadable;
  }
  return FileStatus::kRead;
}

bool WriteOut(std::string_view bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
    return false;
  }
  return std::fflush(stdout) == 0;
}

std::string SafeFileName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (NeedsEscape(c, i == 0)) {
      AppendEscaped(c, &out);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool HasContent(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace nwkemu
