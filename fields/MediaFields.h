// Fields of the media messages: FDC::ForeignLibraries and FDC::ForeignMedias,
// the libraries, drives, hosts and media in them, and the info lists that
// describe each. The media builders, media discovery and the runner's report
// all name them from here.
#pragma once

#include "fields/Field.h"

namespace mediafields {

// Unnamed holder classes of module 32: a library's drive and host lists, and
// the info list of a library, drive or medium.
constexpr int kModule = 32;
constexpr int kDriveList = 71;
constexpr int kHostList = 30;
constexpr int kInfoList = 5;

// FDC::ForeignLibraries and FDC::ForeignMedias share their head.
constexpr Field kHeadInstallation{1, 1};  // the zonar name
constexpr Field kHeadUnknown{2, 5};       // "unknown"
constexpr Field kHeadKind{3, 9}, kHeadKindAgain{6, 12};  // 7 both
constexpr Field kHeadStatus{5, 11};       // 0
constexpr Field kLibraryList{4, 10};      // of FDC::ForeignLibraries: FDC::ForeignLibraryList
constexpr Field kMediaList{4, 10};        // of FDC::ForeignMedias: FDC::ForeignMediaList

// Every list here (libraries, media, drives, hosts, info items) is field 1/1 of its holder.
constexpr Field kItems{1, 1};

// FDC::ForeignLibraryItem
constexpr Field kLibraryType{1, 1};  // storage type: 1 a jukebox, a device's own type, 3 the default library
constexpr Field kLibraryName{2, 2};
constexpr Field kLibraryDefaultMark{3, 6};  // "1" on the default library only
constexpr Field kDrives{4, 10};       // drive list (32, 71)
constexpr Field kHosts{5, 11};        // host list (32, 30)
constexpr Field kLibraryInfo{6, 12};  // info list (32, 5)
constexpr Field kLibraryFlag{7, 13};  // 1

// FDC::ForeignDriveItem
constexpr Field kDriveInfo{1, 1};  // info list (32, 5)

// FDC::ForeignLibraryHost
constexpr Field kHostName{1, 1};         // the media agent
constexpr Field kHostLibraryHost{2, 5};  // the media agent again, as the library's host
constexpr Field kHostNote{3, 9};         // "-NA-", empty for the default library
constexpr Field kHostFlagA{4, 13}, kHostFlagB{5, 14}, kHostFlagC{6, 15};  // 1, 0, 0

// FDC::ForeignMediaItem
constexpr Field kMediumLibrary{1, 1};
constexpr Field kMediumKind{2, 5};
constexpr Field kMediumName{3, 6};  // the barcode or the disk volume's name
constexpr Field kMediumInfo{5, 11};  // info list (32, 5)
constexpr long long kJukeboxMedium = 1, kDiskMedium = 2;

// FDC::InfoItem: one property of a library, drive or medium.
constexpr Field kInfoId{1, 1};
constexpr Field kInfoKind{3, 6};   // how the host reads the value: 1, 2 or 3
constexpr Field kInfoValue{2, 2};  // always text
// The property ids the report reads back: a job on the medium (its key)
// and the medium's expiry time (seconds since the epoch).
constexpr long long kInfoJob = 203, kInfoRetention = 218;

}  // namespace mediafields
