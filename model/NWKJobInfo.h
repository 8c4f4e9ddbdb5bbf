// One row of NetWorker's save set history.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hx/Message.h"

class NWKClientInfo;
class NWKPolicyInfo;

class NWKJobInfo {
 public:
  const std::string& get_jobId() const { return *m_jobId; }
  const std::string& get_clientName() const { return *m_clientName; }
  void set_clientName(std::string_view value) { m_clientName = Intern(value); }
  const std::string& get_groupName() const { return *m_groupName; }
  void set_groupName(std::string_view value) { m_groupName = Intern(value); }
  const std::string& get_contentFolder() const { return m_contentFolder; }
  void set_contentFolder(std::string_view value) { m_contentFolder.assign(value); }
  const std::string& get_backupLevel() const { return *m_backupLevel; }
  void set_backupLevel(std::string_view value) { m_backupLevel = Intern(value); }
  const std::string& get_media() const { return *m_media; }
  void set_media(std::string_view value) { m_media = Intern(value); }
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
  // The same from the resource's template (JobTemplate).
  CNMessageBase* BuildJob(std::vector<CNMessageBase>* jobs, const CNMessageBase& jobTemplate) const;
  // What every job of the client's resource holds: the record with each
  // save set's own fields in place but empty, and the key's prefix as its key.
  static CNMessageBase JobTemplate(const NWKClientInfo* client, const NWKPolicyInfo* policy);
  // Folds this save set into a job BuildJob made: content, sizes, file count.
  void UpdateJob(CNMessageBase& job) const;

 private:
  // Client, group, level and volume names repeat over millions of rows: each
  // distinct text is kept once, process-wide, and records point at it.
  static const std::string* Intern(std::string_view value);
  static const std::string* Empty();  // Intern({}), looked up once

  const std::string* m_jobId = Empty();
  const std::string* m_clientName = m_jobId;
  const std::string* m_groupName = m_jobId;
  std::string m_contentFolder;
  const std::string* m_backupLevel = m_jobId;
  const std::string* m_media = m_jobId;
  long long m_backupTime = 0;
  long long m_backupSize = 0;
  long long m_numberOfFiles = 0;
};

// The job templates of the resources of one job run, each built on first use.
// A copy of a template allocates each block of the record once, at its size,
// where building a record field by field grows (and shrinks) every table; the
// parts no save set changes (installation, subclient, storage policies) are
// shared by all the copies rather than copied.
class JobTemplates {
 public:
  // Stays valid as long as this object.
  const CNMessageBase& For(const NWKClientInfo* client, const NWKPolicyInfo* policy);

 private:
  std::map<std::pair<const NWKClientInfo*, const NWKPolicyInfo*>, CNMessageBase> m_templates;
};
