// Building host libraries and barcoded media from NetWorker jukeboxes, and the
// info list and library host pieces the other media builders use as well.
#include "model/NWKLibrary.h"

#include "handler/CForeignHandlerNWK.h"
#include "handler/MessageBuild.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "model/NWKDrive.h"

using msgbuild::Append;
using msgbuild::Nested;

namespace mediabuild {

InfoList::InfoList(CNMessageBase* holder, short i, short t) : m_list(Nested(holder, i, t, kModule, kInfoList)) {}

void InfoList::Add(long long id, long long kind, const std::string& value) {
  CNMessageBase* item = Append<FDC::InfoItem>(m_list, 1, 1);
  item->setint64(1, 1, id);
  item->setint64(3, 6, kind);
  item->setstring(2, 2, value);
}

void InfoList::AddJobs(const std::vector<std::string>& jobs) {
  for (const std::string& job : jobs) Add(203, 3, job);
}

CNMessageBase* AppendDrive(CNMessageBase* library, size_t* count) {
  CNMessageBase* drives = Nested(library, 4, 10, kModule, kDriveList);
  CNMessageBase* drive = Append<FDC::ForeignDriveItem>(drives, 1, 1);
  if (count) *count = msgbuild::List(drives, 1, 1)->size();
  return drive;
}

void AddLibraryHost(CNMessageBase* library, const std::string& ma, const std::string& note) {
  CNMessageBase* host = Append<FDC::ForeignLibraryHost>(Nested(library, 5, 11, kModule, kHostList), 1, 1);
  host->setstring(1, 1, ma);
  host->setstring(2, 5, ma);
  host->setstring(3, 9, note);
  host->setint64(4, 13, 1);
  host->setint64(5, 14, 0);
  host->setint64(6, 15, 0);
}

}  // namespace mediabuild

namespace {

// "i500@3.0.0" is model "i500" at SCSI address 3.0.0: the part before the
// first '@', or "Unknown" for an empty name.
std::string ModelPart(const std::string& name) {
  std::vector<std::string> pieces;
  hx::SplitLine(name, pieces, '@');
  return pieces.empty() ? "Unknown" : pieces.front();
}

}  // namespace

void NWKLibrary::get_normLibAndMA(std::string& name, std::string& ma) const {
  NWKDrive::SplitRemoteName(m_libName, name, ma);
}

void NWKLibrary::BuildLibrary(CNMessageBase& libraryList) const {
  CNMessageBase* library = Append<FDC::ForeignLibraryItem>(&libraryList, 1, 1);
  int storageType = CForeignHandlerNWK::_MapStorageType_NWKToHx(m_libType);
  library->setint64(1, 1, storageType);
  library->setint64(7, 13, 1);
  std::string name, ma;
  get_normLibAndMA(name, ma);
  library->setstring(2, 2, name);

  std::string type = std::to_string(storageType);
  mediabuild::InfoList info(library, 6, 12);
  info.Add(8, 1, type);
  info.Add(1, 3, "Library Migrated From EMC NetWorker");
  info.Add(2, 3, ModelPart(name));
  info.Add(3, 3, m_libType);
  info.Add(4, 3, type);
  info.Add(5, 3, m_libSerial.empty() ? "Unknown" : m_libSerial);
  info.Add(6, 3, "Unknown");
  info.Add(7, 3, "{0,0,0,0}");
  info.Add(21, 1, m_noDrives);
  info.Add(17, 1, type);
  info.Add(19, 1, m_noDrives);
  mediabuild::AddLibraryHost(library, ma, "-NA-");
}

bool NWKLibrary::IsMediumBarcode(std::string barcode) {
  TrimInline(barcode, " \t");
  // nsradmin ends some lists with an empty quoted entry; a list cut short by
  // the end of the report may end with an empty piece. Neither is a medium.
  return !barcode.empty() && barcode != "\"\"";
}

void NWKLibrary::BuildMedia(CNMessageBase& mediaList, std::string barcode, const std::vector<std::string>& jobs,
                            unsigned int retention) const {
  if (!IsMediumBarcode(barcode)) return;
  TrimInline(barcode, " \t");
  EvEvent().DebugLvl("NWKLibrary::BuildMedia", 4, "Building media info for [%s] media -> library [%s]", barcode.c_str(),
                     m_libName.c_str());
  CNMessageBase* media = Append<FDC::ForeignMediaItem>(&mediaList, 1, 1);
  media->setint64(2, 5, 1);
  media->setstring(3, 6, barcode);
  std::string name, ma;
  get_normLibAndMA(name, ma);
  media->setstring(1, 1, name);

  mediabuild::InfoList info(media, 5, 11);
  info.Add(208, 2, "0");
  info.Add(200, 3, "Media migrated from EMC NetWorker");
  info.Add(209, 2, "0");
  info.Add(11, 3, barcode);
  info.Add(201, 1, "1");
  info.Add(207, 3, barcode);
  if (retention != 0) info.Add(218, 2, std::to_string(retention));
  info.AddJobs(jobs);
  media->ShrinkToFit();  // a large estate keeps hundreds of thousands of these
}
