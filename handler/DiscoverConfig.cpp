// Configuration discovery: completes the host's configuration message,
// exchanges the instance property request and response with the host server,
// reports the status, and settles the server's date format.
#include "fetchers/CNWKLocaleInfoFetcher.h"
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

// Copies one 64-bit field from the response, 0 when the response lacks it.
void CopyInt64(const CNMessageBase& from, CNMessageBase* to, short i, short t) {
  to->setint64(i, t, from.isSet(i) ? from.getint64(t) : 0);
}

void CopyResponse(const CNMessageBase& response, CNMessageBase* config) {
  CopyInt64(response, config, 16, 58);
  CopyInt64(response, config, 17, 59);
  CopyInt64(response, config, 19, 61);
  CopyInt64(response, config, 18, 60);
  CNMessageBase& source = const_cast<CNMessageBase&>(response);
  config->setlistulong(24, 75, source.getlistulong(24, 75, 0, 0, false));
  config->setstring(25, 76, response.getstring(25, 76));
}

}  // namespace

int CForeignHandlerNWK::DiscoverConfig(CNMessageBase* config) {
  EvEvent log;
  if (!config) {
    log.Error(kFunc, "No configuration message was given");
    return 0;
  }
  for (int option : {1, 4, 5, 3}) {
    config->getlistint(20, 62, FDC::ExternalNBUConfig::kClassKey, 0, !config->isSet(20))->push_back(option);
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
