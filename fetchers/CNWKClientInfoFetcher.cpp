// Client report. Each resource's attributes collect in one working policy that
// is never cleared (an attribute a later resource does not print keeps the
// earlier value); the "licensed PSPs:" line commits it, once per group. A
// resource printed without that line (a `show` of a few attributes, a trimmed
// capture) is committed where it ends: at the next resource's start or at the
// end of the report.
//
//                         name: lnxdb01.lab.local;
//                       server: nwsrv01;
//                     schedule: Default;
//                        group: UNIX_Daily, Oracle_Prod;
//                     save set: /, /u01;
//               backup command: nsrora_save_cmd;
//        licensed applications: ;
//                licensed PSPs: ;
#include "fetchers/CNWKClientInfoFetcher.h"

#include <unordered_set>
#include <vector>

#include "model/CSaveSetMapHandler.h"
#include "model/ServerFacts.h"
#include "text/Attributes.h"
#include "text/TextUtils.h"
#include "hx/Log.h"

namespace {

const char* kFunc = "CNWKClientInfoFetcher::_ParseData";

class ClientReportParser {
 public:
  ClientReportParser(const ReportText& text, NWKClientMap* clients)
      : m_reader(text, CNWKClientInfoFetcher::kFileName, ReportReader::Layout::kResources), m_clients(clients) {}

  void Run() {
    std::string line;
    while (m_reader.Next(&line)) {
      if (m_reader.startsResource()) {
        EndResource();
        m_open = true;
      }
      Dispatch(line);
    }
    EndResource();
  }

 private:
  using Handler = void (ClientReportParser::*)(const std::string& line);
  struct Attribute {
    const char* prefix;
    Handler handle;
  };

  void Dispatch(const std::string& line) {
    static const Attribute kAttributes[] = {
        {"name:", &ClientReportParser::OnName},
        {"NetWorker version:", &ClientReportParser::OnVersion},
        {"server:", &ClientReportParser::OnServer},
        {"schedule:", &ClientReportParser::OnSchedule},
        {"group:", &ClientReportParser::OnGroup},
        {"save set:", &ClientReportParser::OnSaveSet},
        {"backup type:", &ClientReportParser::OnAppName},
        {"backup command:", &ClientReportParser::OnBackupCommand},
        {"application information:", &ClientReportParser::OnAppName},
        {"licensed applications:", &ClientReportParser::OnLicensedApps},
        {"licensed PSPs:", &ClientReportParser::OnCommit},
        {"directive:", &ClientReportParser::OnDirective},
        {"client OS type:", &ClientReportParser::OnOsType},
    };
    for (const Attribute& attribute : kAttributes) {
      if (HasPrefix(line, attribute.prefix)) {
        (this->*attribute.handle)(line);
        return;
      }
    }
  }

  void OnName(const std::string& line) {
    std::string name = AttributeValue(line, ':');
    m_current = &m_clients->emplace(name, NWKClientInfo()).first->second;
    if (m_withDefault.insert(hx::ToLower(name)).second) m_current->get_policyList().push_back(DefaultResource());
    m_current->set_clientName(name);
  }

  static NWKPolicyInfo DefaultResource() {
    NWKPolicyInfo policy;
    policy.get_backuplist().push_back("All");
    policy.set_appName("UNKNOWN");
    policy.set_policyName("Manual");
    return policy;
  }

  void OnVersion(const std::string& line) {
    if (m_current) m_current->set_clientVersion(AttributeValue(line, ':'));
  }

  // Only while no server is known: a client that names itself as its server is the server.
  void OnServer(const std::string& line) {
    if (!m_current || !ServerFacts::Current().serverName.empty()) return;
    std::string value = AttributeValue(line, ':');
    // An empty value names no server, even beside a client whose name is empty.
    if (value.empty() || compareNoCase(value, m_current->get_clientName()) != 0) return;
    ServerFacts::Current().serverName = value;
    m_current->set_isMasterServer(true);
    m_current->set_isMediaServer(true);
    EvEvent().DebugLvl(kFunc, 0, "Discovered networker server name [%s]", value.c_str());
  }

  void OnSchedule(const std::string& line) {
    m_working.set_associatedScheduleName(AttributeValue(line, ':'));
  }

  void OnGroup(const std::string& line) { m_working.set_groupName(ReadListValue(m_reader, line, Continuation{})); }

  void OnSaveSet(const std::string& line) {
    std::string value = ReadListValue(m_reader, line, Continuation{"", true});
    FindReplace(value, "\\\\", "\\");
    std::vector<std::string>& list = m_working.get_backuplist();
    hx::SplitLine(value, list, ',');
    for (std::string& entry : list) TrimInline(entry, " \"");
  }

  void OnAppName(const std::string& line) { m_working.set_appName(AttributeValue(line, ':')); }

  void OnBackupCommand(const std::string& line) {
    m_working.set_backupCommand(AttributeValue(line, ':'));
  }

  void OnLicensedApps(const std::string& line) {
    m_working.set_licensedApps(ReadListValue(m_reader, line, Continuation{"", true}));
  }

  void OnDirective(const std::string& line) {
    m_working.set_directiveName(AttributeValue(line, ':'));
  }

  void OnOsType(const std::string& line) {
    if (m_current && m_current->get_osName().empty())
      m_current->set_osName(AttributeValue(line, ':'));
  }

  // One policy per distinct group of the working resource; an empty group
  // list adds none. The working resource takes each group in turn as its
  // group and policy name (so it keeps the last), and each copy is made from
  // it then, never from the whole list: a list of 100,000 groups must not be
  // copied 100,000 times.
  void OnCommit(const std::string&) {
    m_open = false;
    if (!m_current) return;
    std::vector<std::string> groups;
    hx::SplitLine(m_working.get_groupName(), groups, ',');
    m_working.set_groupName(std::string());
    std::unordered_set<std::string> done;
    EvEvent log;
    for (std::string& group : groups) {
      TrimInline(group, " \t\n");
      if (group.empty() || !done.insert(group).second) continue;
      std::string name = TrimLeadingBlanks(group);
      m_working.set_policyName(name);
      m_working.set_groupName(name);
      log.DebugLvl(kFunc, 4, "Adding policy [%s] belonging to client [%s]", name.c_str(),
                   m_current->get_clientName().c_str());
      m_current->get_policyList().push_back(m_working);
    }
  }

  // A resource that ends before its "licensed PSPs:" line is committed then.
  void EndResource() {
    if (m_open) OnCommit(std::string());
  }

  ReportReader m_reader;
  bool m_open = false;  // a resource has started and is not committed yet
  NWKClientMap* m_clients;
  NWKClientInfo* m_current = nullptr;  // attributes before the first name have no client
  NWKPolicyInfo m_working;
  std::unordered_set<std::string> m_withDefault;  // lower-cased names that have their "Manual" resource
};

// The storage node whose short name is the server's is the main media agent
// (the last in map order when several are).
void FindMainMediaAgent(const NWKClientMap& clients) {
  std::string server = ServerFacts::Current().serverName;
  std::string serverShort = server.substr(0, server.find('.'));
  for (const auto& [key, client] : clients) {
    if (!client.get_isMediaServer()) continue;
    std::string name = client.get_clientName();
    if (name.substr(0, name.find('.')) != serverShort) continue;
    ServerFacts::Current().mainMediaAgent = name;
    EvEvent().DebugLvl(kFunc, 0, "Main MA is [%s]", name.c_str());
  }
}

// Gives every grouped policy its stable subclient name. False when a client's
// names could not be saved (every other client's are still saved).
bool NamePolicies(NWKClientMap* clients, const std::string& mapDir) {
  bool saved = true;
  CSaveSetMapHandler names;
  names.set_jobResultsDir(mapDir);
  for (auto& [key, client] : *clients) {
    names.set_clientName(key);
    names.LoadSaveSetMap();
    for (NWKPolicyInfo& policy : client.get_policyList()) {
      if (policy.get_groupName().empty()) continue;
      const std::vector<std::string>& saveSets = policy.get_const_backuplistref();
      policy.set_policyName(names.get_AppName(policy.get_groupName() + "_" + (saveSets.empty() ? "" : saveSets[0])));
    }
    if (!names.SaveMap()) saved = false;
    EvEvent().DebugLvl(kFunc, 4, "Taking care of save set map for client [%s]", key.c_str());
  }
  return saved;
}

}  // namespace

bool CNWKClientInfoFetcher::ParseClientReport(const ReportText& text, NWKClientMap* clients, const std::string& mapDir) {
  ClientReportParser(text, clients).Run();
  if (ServerFacts::Current().serverName.empty()) {
    EvEvent().Error(kFunc, "Failed to detect server name. Cannot proceed with discovery!!");
    return false;
  }
  FindMainMediaAgent(*clients);
  if (!NamePolicies(clients, mapDir)) return false;
  EvEvent().DebugLvl(kFunc, 0, "Parsing Networker Client information [%s]", "succeeded");
  return true;
}

bool CNWKClientInfoFetcher::_ParseData(void* context, const std::string& path) {
  EvEvent().DebugLvl(kFunc, 0, get_JobId(), "Started parsing Networker Client Information");
  const ReportText report = ReadReport(path);
  bool parsed = ParseClientReport(report, static_cast<NWKClientMap*>(context), m_jobResultsDir);
  return parsed && report.readError().empty();
}
