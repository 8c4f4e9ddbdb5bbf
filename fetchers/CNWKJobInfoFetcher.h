// Reads a group's save set history (or the manual save sets) with mminfo,
// one NWKJobInfo per report row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKJobInfo.h"

class CNWKJobInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kColumns =
      "group,client,name,level,nsavetime,totalsize,sscomp(25),nfiles,volume,location,volid,barcode";

  // Empty: the manual save sets (those of no group).
  void set_groupName(const std::string& name) { m_groupName = name; }
  std::string get_groupName() const { return m_groupName; }

  // Appends the rows of `text` to `jobs`. `skipHeader` drops the first
  // non-blank line (mminfo's header, present when the command ran here).
  static void ParseJobReport(const ReportText& text, const std::string& groupName, bool skipHeader,
                             std::vector<NWKJobInfo>* jobs);

 protected:
  std::string _GetCommandLine() override;
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override;

 private:
  std::string m_groupName;
  mutable std::string m_dataFileName;
};
