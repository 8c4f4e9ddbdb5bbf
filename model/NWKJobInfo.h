// One row of NetWorker's save set history.
#pragma once

#include <string>
#include <vector>

class CNMessageBase;
class NWKClientInfo;
class NWKPolicyInfo;

class NWKJobInfo {
 public:
  std::string get_jobId() const { return *m_jobId; }
  std::string get_clientName() const { return *m_clientName; }
  void set_clientName(const std::string& value) { m_clientName = Intern(value); }
  std::string get_groupName() const { return *m_groupName; }
  void set_groupName(const std::string& value) { m_groupName = Intern(value); }
  std::string get_contentFolder() const { return m_contentFolder; }
  void set_contentFolder(const std::string& value) { m_contentFolder = value; }
  std::string get_backupLevel() const { return *m_backupLevel; }
  void set_backupLevel(const std::string& value) { m_backupLevel = Intern(value); }
  std::string get_media() const { return *m_media; }
  void set_media(const std::string& value) { m_media = Intern(value); }
  long long get_backupTime() const { return m_backupTime; }
  void set_backupTime(long long value) { m_backupTime = value; }
  long long get_backupSize() const { return m_backupSize; }
  void set_backupSize(long long value) { m_backupSize = value; }
  long long get_numberOfFiles() const { return m_numberOfFiles; }
  void set_numberOfFiles(long long value) { m_numberOfFiles = value; }

  // Appends a host job record made from this save set, the client and the
  // resource that produced it, to `jobs` (the list of an FDC::JobList).
  CNMessageBase* BuildJob(std::vector<CNMessageBase>* jobs, const NWKClientInfo* client,
                          const NWKPolicyInfo* policy) const;
  // Folds this save set into a job BuildJob made: content, sizes, file count.
  void UpdateJob(CNMessageBase& job) const;

 private:
  // Client, group, level and volume names repeat over millions of rows: each
  // distinct text is kept once, process-wide, and records point at it.
  static const std::string* Intern(const std::string& value);

  const std::string* m_jobId = Intern(std::string());
  const std::string* m_clientName = m_jobId;
  const std::string* m_groupName = m_jobId;
  std::string m_contentFolder;
  const std::string* m_backupLevel = m_jobId;
  const std::string* m_media = m_jobId;
  long long m_backupTime = 0;
  long long m_backupSize = 0;
  long long m_numberOfFiles = 0;
};
