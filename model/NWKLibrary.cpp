// Building host libraries and barcoded media from NetWorker jukeboxes.
#include "model/NWKLibrary.h"

#include "fields/MediaFields.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"
#include "hx/Strings.h"
#include "model/HostMapping.h"
#include "model/MediaBuild.h"
#include "model/MessageBuild.h"

using namespace msgbuild;    // NOLINT: the builders' vocabulary
using namespace mediafields;  // NOLINT: this file builds media pieces only

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
  mediabuild::SplitRemoteName(m_libName, name, ma);
}

void NWKLibrary::BuildLibrary(CNMessageBase& libraryList) const {
  CNMessageBase* library = Append<FDC::ForeignLibraryItem>(&libraryList, kItems);
  int storageType = hostmap::MapStorageType(m_libType);
  Set(library, kLibraryType, storageType);
  Set(library, kLibraryFlag, 1);
  std::string name, ma;
  get_normLibAndMA(name, ma);
  Set(library, kLibraryName, name);

  std::string type = std::to_string(storageType);
  mediabuild::InfoList info(library, kLibraryInfo);
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
  CNMessageBase* media = Append<FDC::ForeignMediaItem>(&mediaList, kItems);
  Set(media, kMediumKind, kJukeboxMedium);
  Set(media, kMediumName, barcode);
  std::string name, ma;
  get_normLibAndMA(name, ma);
  Set(media, kMediumLibrary, name);

  mediabuild::InfoList info(media, kMediumInfo);
  info.Add(208, 2, "0");
  info.Add(200, 3, "Media migrated from EMC NetWorker");
  info.Add(209, 2, "0");
  info.Add(11, 3, barcode);
  info.Add(201, 1, "1");
  info.Add(207, 3, barcode);
  info.AddRetention(retention);
  info.AddJobs(jobs);
  media->ShrinkToFit();  // a large estate keeps hundreds of thousands of these
}
