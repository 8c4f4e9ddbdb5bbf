// Finds the server's release in its report and words the 8.x model notice.
#include "ReportServerRelease.h"

#include <fstream>
#include <sstream>
#include <string_view>

#include "hx/Files.h"
#include "hx/Strings.h"

namespace nwk {
namespace {

// The server resource is printed first; its version comes within its first
// lines, so a report of any size is read no further than this.
constexpr std::size_t kBytesRead = 1 << 20;
constexpr int kFirstPolicyRelease = 9;

// "NetWorker 9.2.1.3.Build.25 Network Edition/100;" -> "9.2.1.3".
bool ParseRelease(const std::string& value, ServerRelease* release) {
  std::size_t start = value.find_first_of("0123456789");
  if (start == std::string::npos) return false;
  std::size_t end = value.find_first_not_of("0123456789.", start);
  std::string version = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
  while (!version.empty() && version.back() == '.') version.pop_back();
  std::size_t dot = version.find('.');
  std::string major = version.substr(0, dot);
  if (major.size() > 4) return false;  // no release number, a date or a build
  release->version = version;
  release->major = static_cast<int>(hx::LeadingInteger(major));
  return true;
}

}  // namespace

bool ReadServerRelease(const std::string& resultsDir, ServerRelease* release) {
  std::ifstream in(hx::JoinPath(resultsDir, "tarn_server.txt"), std::ios::binary);
  std::string head(kBytesRead, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  std::istringstream lines(head);
  constexpr std::string_view kKey = "version:";
  std::string line;
  while (std::getline(lines, line)) {
    TrimInline(line, " \t\r");
    if (line.compare(0, kKey.size(), kKey) == 0) return ParseRelease(Trim(line.substr(kKey.size()), " \t;"), release);
  }
  return false;
}

std::string ModelNotice(const ServerRelease& release) {
  if (release.major < kFirstPolicyRelease) return std::string();
  return "NetWorker " + release.version +
         " server: read with the 8.x model: protection policies, workflows and protection groups are not read";
}

}  // namespace nwk
