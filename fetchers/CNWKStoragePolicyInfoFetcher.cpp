// Pool report: only "name:" and "devices:" matter. The device list holds
// quoted names (doubled backslashes kept as printed, so that they compare
// equal to the device report's names), wraps after ",", or starts on the next
// line after a lone "\". A pool without devices prints "devices: ;".
//
//                         name: AFTD_Disk;
//                      devices: \                (list from the next line)
// "E:\\nsr_disk\\aftd01",
// "rd=snode01:/nsr/aftd/aftd02";
#include "fetchers/CNWKStoragePolicyInfoFetcher.h"

#include "fetchers/CNWKLibraryInfoFetcher.h"
#include "handler/CForeignHandlerNWK.h"
#include "handler/ReportReader.h"
#include "handler/TextUtils.h"
#include "hx/Log.h"

namespace {
const char* kFunc = "CNWKStoragePolicyInfoFetcher::_ParseData()";
}  // namespace

void CNWKStoragePolicyInfoFetcher::ParsePoolReport(std::string_view text, std::vector<NWKStoragePolicy>* pools) {
  ReportReader reader(text, kFileName, ReportReader::Layout::kResources);
  NWKStoragePolicy* current = nullptr;  // a device list before the first name belongs to no pool
  std::string line;
  while (reader.Next(&line)) {
    if (HasPrefix(line, "name:")) {
      current = &pools->emplace_back();
      current->set_spName(CForeignHandlerNWK::GetAttributeValue(line, ':'));
      EvEvent().DebugLvl(kFunc, 4, "Added storage policy: [%s]", current->get_spName().c_str());
    } else if (current && HasPrefix(line, "devices:")) {
      hx::SplitLine(CNWKLibraryInfoFetcher::ReadListValue(reader, line), current->get_libNames(), ',');
    }
  }
}

bool CNWKStoragePolicyInfoFetcher::_ParseData(void* context, const std::string& path) {
  EvEvent().DebugLvl(kFunc, 0, get_JobId(), "Started parsing NetWorker storage policy information");
  ParsePoolReport(ReadReport(path), static_cast<std::vector<NWKStoragePolicy>*>(context));
  return true;
}
