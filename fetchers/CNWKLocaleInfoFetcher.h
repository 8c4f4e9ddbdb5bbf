// Reads the server's short date format from "tarn_nwk_localeconfig.txt",
// which is placed in the results directory beside the reports; nothing runs.
#pragma once

#include <string>
#include <string_view>

#include "fetchers/CNetworkerCmdExecBase.h"

class CNWKLocaleInfoFetcher : public CNetworkerCmdExecBase {
 public:
  using CNetworkerCmdExecBase::_ParseData;
  static constexpr const char* kDefaultFormat = "MM/dd/YYYY";

  enum class LocaleResult { kFound, kTooShort, kNoRegSz };
  // `format` gets the default at once, then the value after "REG_SZ" on the
  // second non-blank line. `badLine` receives that line when it has no
  // "REG_SZ" or nothing after it.
  static LocaleResult ParseLocaleReport(const ReportText& text, std::string* format, std::string* badLine);

 protected:
  std::string _GetCommandLine() override { return kSkipToken; }
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override { return "tarn_nwk_localeconfig.txt"; }
};
