// Configuration discovery: completes the host's configuration message,
// exchanges the instance property request and response with the host server,
// reports the status, and settles the server's date format.
#include "fetchers/CNWKLocaleInfoFetcher.h"
#include "fields/ConfigFields.h"
#include "fields/RunRecords.h"
#include "handler/CForeignHandlerNWK.h"
#include "hx/HostEnv.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "hx/Settings.h"

namespace {

const char* kFunc = "CForeignHandlerNWK::DiscoverConfig";
const char* kSection = "Pluvex";
const char* kLocaleKey = "sNWKLOCALEFORMAT";

void CopyResponse(const CNMessageBase& response, CNMessageBase* config) {
  using namespace configfields;  // NOLINT: the configuration message's vocabulary
  for (Field f : kResponseNumbers) config->setint64(f.i, f.t, response.isSet(f.i) ? response.getint64(f.t) : 0);
  CNMessageBase& source = const_cast<CNMessageBase&>(response);
  config->setlistulong(kResponseList.i, kResponseList.t,
                       source.getlistulong(kResponseList.i, kResponseList.t, 0, 0, false));
  config->setstring(kResponseText.i, kResponseText.t, response.getstring(kResponseText.i, kResponseText.t));
}

}  // namespace

int CForeignHandlerNWK::DiscoverConfig(CNMessageBase* config) {
  EvEvent log;
  if (!config) {
    log.Error(kFunc, "No configuration message was given");
    return 0;
  }
  using configfields::kOptions;
  for (int option : configfields::kOptionValues) {
    config->getlistint(kOptions.i, kOptions.t, FDC::ExternalNBUConfig::kClassKey, 0, !config->isSet(kOptions.i))
        ->push_back(option);
  }
  ScopedLineReporter reporting(&m_records);
  bool status = m_offline || ExchangeInstanceProperties(config);
  SettleLocale();
  return status ? 1 : 0;
}

// Steps of the exchange with the host server. Only a failed status send is a
// failure of the operation; a missing response just ends the exchange.
bool CForeignHandlerNWK::ExchangeInstanceProperties(CNMessageBase* config) {
  EvEvent log;
  bool flag = false;
  FDC::ExternalNBUConfig request;
  if (_SendMessage(&request, 0, flag, 600).IsError()) return true;
  log.DebugJob(kFunc, GetJobId(), "Instance property request successfully sent.");
  CNMessageBase* response = _ReceiveMessage(FDC::ExternalNBUConfig::kClassKey, flag, 600);
  if (flag || !response) return true;
  log.DebugJob(kFunc, GetJobId(), "Instance property response received successfully.");
  CopyResponse(*response, config);

  FDC::DiscoveryError statusMsg = StatusMessage(0, "No errors");
  CLmError sent = _SendMessage(&statusMsg, 0, flag, 600);
  if (!sent.IsError()) return true;
  log.DebugJob(kFunc, GetJobId(), "Unable to send password verification status. Error [%d]-[%s]",
               sent.GetErrorCode(), sent.AsString().c_str());
  return false;
}

// The locale file wins; then the setting; then the default format.
void CForeignHandlerNWK::SettleLocale() {
  EvEvent log;
  std::string& format = ServerFacts::Current().dateFormat;
  CNWKLocaleInfoFetcher fetcher;
  if (fetcher.FetchData(&format)) {
    log.DebugLvl(kFunc, 0, "Locale information for Networker server fetched successfully. Value is [%s]",
                 format.c_str());
    m_records.Add({records::kFact, records::kDateFormat, format, "file"});
    return;
  }
  HxPlatformInfo settings;
  settings.setFocus(HxPI_Focus::getFocus());
  std::string value;
  if (settings.getString(kSection, kLocaleKey, &value) && !value.empty()) {
    format = value;
    log.DebugLvl(kFunc, 0, "Locale information for Networker server overridden to [%s] with registry key '%s//%s'",
                 format.c_str(), kSection, kLocaleKey);
    m_records.Add({records::kFact, records::kDateFormat, format, "setting"});
    return;
  }
  format = CNWKLocaleInfoFetcher::kDefaultFormat;
  log.DebugLvl(kFunc, 0, "Locale information for missing for Networker server. Value defaulted to [%s]",
               format.c_str());
  m_records.Add({records::kFact, records::kDateFormat, format, "default"});
}
