// Reads "print type:NSR schedule" into the schedule map: each schedule's
// period and its actions (a weekly action on one line, a monthly one usually
// over several).
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"
#include "model/NWKMaps.h"

class CNWKScheduleInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kFileName = "tarn_schedule.txt";

  static void ParseScheduleReport(const ReportText& text, NWKScheduleMap* schedules);

 protected:
  std::string _GetCommandLine() override { return NsradminCommandLine("print type:NSR schedule"); }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return kFileName; }
};
