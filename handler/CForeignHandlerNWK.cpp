// CForeignHandlerNWK: construction, the process-wide facts, the operations
// that answer at once, and the line utilities shared by the report parsers.
#include "handler/CForeignHandlerNWK.h"

#include <unistd.h>

#include <ctime>

#include "handler/ReportReader.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

std::string CForeignHandlerNWK::m_NWKServerName;
std::string CForeignHandlerNWK::m_NWKMAName;
std::string CForeignHandlerNWK::m_SPName;
std::string CForeignHandlerNWK::m_locale;

CForeignHandlerNWK::CForeignHandlerNWK() = default;
CForeignHandlerNWK::CForeignHandlerNWK(long long jobId) : CForeignHandlerBase(jobId) {}
CForeignHandlerNWK::~CForeignHandlerNWK() = default;

int CForeignHandlerNWK::DiscoverStoragePolicies(CNMessageBase*) { return 1; }
int CForeignHandlerNWK::RetrieveMetadata() { return 1; }
int CForeignHandlerNWK::DoRestore(CNMessageBase*) { return 1; }

std::string CForeignHandlerNWK::GenerateZonarName() {
  std::string server = get_NWKServerName();
  if (server.empty()) {
    char host[65] = {};
    if (gethostname(host, sizeof host - 1) == 0) server = host;
  }
  return "NETWORKER_" + server;
}

void CForeignHandlerNWK::ParseCommandOutputFile(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    NormalizeReportLine(line);
    lines.push_back(line);
  }
}

bool CForeignHandlerNWK::ReadNLinesFromFile(std::ifstream& file, std::vector<std::string>& lines, int n) {
  lines.clear();
  std::string line;
  while (static_cast<int>(lines.size()) < n && file.is_open() && std::getline(file, line)) {
    NormalizeReportLine(line);
    if (!line.empty()) lines.push_back(line);
  }
  return lines.empty();
}

std::string CForeignHandlerNWK::GetAttributeValue(const std::string& line, char separator) {
  size_t at = line.find(separator);
  // No separator: the attribute has no value. The value starts after the
  // separator and the blanks or tabs that follow it, whether there are any
  // ("name:host;" as well as "name: host;").
  if (at == std::string::npos) return std::string();
  size_t start = line.find_first_not_of(" \t", at + 1);
  if (start == std::string::npos) return std::string();
  return ::Trim(line.substr(start), " ;");
}

std::string CForeignHandlerNWK::Trim(std::string& s) {
  size_t keep = s.find_first_not_of(' ');
  if (keep == std::string::npos) keep = s.empty() ? 0 : s.size() - 1;
  s.erase(0, keep);
  return s;
}

FDC::DiscoveryError CForeignHandlerNWK::StatusMessage(long long failed, const std::string& text) const {
  FDC::DiscoveryError status;
  status.setint64(1, 1, static_cast<long long>(time(nullptr)));
  status.setint64(5, 8, failed);
  status.setstring(6, 9, text);
  status.setint64(2, 2, GetJobId());
  status.setstring(4, 4, GetHostName());
  status.setint64(3, 3, 9);
  return status;
}
