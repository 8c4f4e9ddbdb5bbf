// Media discovery: the default library, one library per jukebox with a
// medium per barcode, every device as a drive (in its jukebox's library or in
// a library of its own), every disk device's volume as a medium, and at the
// end the storage policies made from the pools.
#include <ctime>
#include <initializer_list>

#include "fetchers/CNWKDriveInfoFetcher.h"
#include "fetchers/CNWKLibraryInfoFetcher.h"
#include "fetchers/CNWKMediaInfoFetcher.h"
#include "fields/MediaFields.h"
#include "fields/RunRecords.h"
#include "handler/CForeignHandlerNWK.h"
#include "text/CNWKDateFormatter.h"
#include "model/MediaBuild.h"
#include "model/MessageBuild.h"
#include "hx/Log.h"
#include "hx/MessageClasses.h"

using namespace msgbuild;    // NOLINT: the builders' vocabulary
using namespace mediafields;  // NOLINT: media discovery builds media messages only

namespace {

// Media discovery's lines go under this name; what went well is logged at
// level 0 (it passes any debug level), only failures as errors.
const char* kFunc = "DiscoverMedia";
constexpr int kDiskDevice = 3;

void SetHeader(CNMessageBase& msg) {
  Set(&msg, kHeadInstallation, CForeignHandlerNWK::GenerateZonarName());
  Set(&msg, kHeadUnknown, "unknown");
  Set(&msg, kHeadKind, 7);
  Set(&msg, kHeadStatus, 0);
  Set(&msg, kHeadKindAgain, 7);
}

struct InfoRow {
  long long id, kind;
  std::string value;
};

void AddRows(mediabuild::InfoList& info, std::initializer_list<InfoRow> rows) {
  for (const InfoRow& row : rows) info.Add(row.id, row.kind, row.value);
}

// The first library of the list named `name`; null when none is.
CNMessageBase* FindLibrary(CNMessageBase& libraryList, const std::string& name) {
  if (std::vector<CNMessageBase>* libraries = List(&libraryList, kItems))
    for (CNMessageBase& library : *libraries)
      if (GetString(library, kLibraryName) == name) return &library;
  return nullptr;
}

}  // namespace

int CForeignHandlerNWK::DiscoverMedia(CNMessageBase*) {
  ScopedLineReporter reporting(&m_records);
  EvEvent log;
  FDC::ForeignMedias medias;
  SetHeader(medias);
  FDC::ForeignLibraries libraries;
  SetHeader(libraries);
  _BuildDefaultLibrary(libraries);
  CNMessageBase* libraryList = Nested<FDC::ForeignLibraryList>(&libraries, kLibraryList);
  CNMessageBase* mediaList = Nested<FDC::ForeignMediaList>(&medias, kMediaList);

  CNWKMediaInfoFetcher expiry;
  if (expiry.FetchData(&m_mediaRetention))
    log.DebugLvl(kFunc, 0, "Successfully collected media retention information for [%d] media",
              static_cast<int>(m_mediaRetention.size()));
  CNWKLibraryInfoFetcher jukeboxes;
  if (jukeboxes.FetchData(&m_libraries))
    log.DebugLvl(kFunc, 0, "Successfully collected library information. [%d] libraries discovered",
              static_cast<int>(m_libraries.size()));
  m_retentionOfDate.clear();
  ListMediaJobMappings();
  BuildJukeboxLibraries(*libraryList, *mediaList);
  CNWKDriveInfoFetcher devices;
  if (devices.FetchData(&m_drives))
    log.DebugLvl(kFunc, 0, "Successfully collected drive information. [%d] drives discovered",
              static_cast<int>(m_drives.size()));
  BuildDeviceDrives(*libraryList, *mediaList);
  ForgetMediaJobMappings();

  if (!DumpXmlMsgToFile(&libraries, 0, false) || !DumpXmlMsgToFile(&medias, 0, false)) {
    log.Error(kFunc, "Failed to dump XML message to file");
    return 0;
  }
  // A policy list that cannot be written fails the operation too: the host
  // would otherwise take a run without storage policies for a complete one.
  if (BuildStoragePolicies()) return 1;
  log.Error(kFunc, "Failed to dump XML message to file");
  return 0;
}

// Barcodes are looked up as the report gave them, before the builder trims them.
void CForeignHandlerNWK::BuildJukeboxLibraries(CNMessageBase& libraryList, CNMessageBase& mediaList) {
  std::vector<std::string> jobs;
  for (NWKLibrary& library : m_libraries) {
    library.BuildLibrary(libraryList);
    for (const std::string& barcode : library.get_stlcodes()) {
      if (!NWKLibrary::IsMediumBarcode(barcode)) continue;  // no mapping file looked up for it either
      RetrieveMediaJobMapping(barcode, jobs);
      library.BuildMedia(mediaList, barcode, jobs, MediaRetention(barcode));
    }
  }
}

// A device joins the first library named like its parent jukebox's local
// name: a jukebox's, or one an earlier device made for itself.
void CForeignHandlerNWK::BuildDeviceDrives(CNMessageBase& libraryList, CNMessageBase& mediaList) {
  std::vector<std::string> jobs;
  for (const NWKDrive& drive : m_drives) {
    std::string parent, ma;
    drive.get_normLibAndMA(parent, ma);
    if (CNMessageBase* library = FindLibrary(libraryList, parent))
      drive.BuildDrive(library);
    else
      drive.BuildLibrary(libraryList);
    if (_MapDeviceType_NWKToHx(drive.get_driveFamily()) != kDiskDevice) continue;
    std::string volume = drive.get_volName();
    RetrieveMediaJobMapping(volume, jobs);
    drive.BuildMedia(&mediaList, jobs, MediaRetention(volume));
  }
}

// mminfo's words for "no date" (never written, past, recycled by hand) mean
// no retention; they are no malformed dates to complain about.
unsigned int CForeignHandlerNWK::MediaRetention(const std::string& volume) {
  auto entry = m_mediaRetention.find(volume);
  if (entry == m_mediaRetention.end()) return NoRetention(volume, "the media report does not list the volume");
  for (const char* word : {"undef", "expired", "manual", ""})
    if (entry->second == word) return NoRetention(volume, "expiry date [" + entry->second + "]");
  // Thousands of volumes share a few expiry dates, and each reading costs a mktime.
  auto known = m_retentionOfDate.find(entry->second);
  if (known != m_retentionOfDate.end()) return known->second;
  const std::string& format = ServerFacts::Current().dateFormat;
  CNWKDateFormatter dates(format);
  tm when{};
  unsigned long seconds = 0;
  if (!dates.GetTMStruct(entry->second, "", false, &when, &seconds))
    return NoRetention(volume, "expiry date [" + entry->second + "] is not in the date format [" + format + "]");
  return m_retentionOfDate[entry->second] = static_cast<unsigned int>(seconds);
}

unsigned int CForeignHandlerNWK::NoRetention(const std::string& volume, const std::string& reason) {
  m_records.Add({records::kMediaWithoutRetention, volume, reason});
  return 0;
}

// The default library: a disk library served by the server, first in the
// list, there even when NetWorker has no jukebox and no device.
void CForeignHandlerNWK::_BuildDefaultLibrary(FDC::ForeignLibraries& libraries) {
  CNMessageBase* list = Nested<FDC::ForeignLibraryList>(&libraries, kLibraryList);
  CNMessageBase* library = Append<FDC::ForeignLibraryItem>(list, kItems);
  Set(library, kLibraryType, kDiskDevice);
  Set(library, kLibraryName, GenerateLibraryName());
  Set(library, kLibraryDefaultMark, "1");
  Set(library, kLibraryFlag, 1);
  std::string server = get_NWKServerName();

  mediabuild::InfoList drive(mediabuild::AppendDrive(library), kDriveInfo);
  AddRows(drive, {{158, 1, "3"},
                  {151, 3, "@aaab"},
                  {152, 3, "Magnetic"},
                  {153, 3, "Generic disk volume"},
                  {154, 3, "Magnetic"},
                  {155, 3, "@aaab"},
                  {157, 1, "1"},
                  {159, 3, server}});
  mediabuild::InfoList info(library, kLibraryInfo);
  AddRows(info, {{161, 1, "1"},
                 {8, 1, "3"},
                 {1, 3, "Default Media Library created for EMC Networker"},
                 {11, 3, "(unknown)"},
                 {14, 3, "(unknown)"},
                 {15, 2, "0"},
                 {16, 2, "0"},
                 {2, 3, "Magnetic"},
                 {3, 3, "Magnetic"},
                 {4, 3, "Magnetic"},
                 {5, 3, "Magnetic"},
                 {7, 3, "{0,0,0,0}"},
                 {17, 1, "4"}});
  mediabuild::AddLibraryHost(library, server, "");
}
