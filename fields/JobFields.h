// Fields of the job messages: FDC::JobList, its FDC::JobInfo records and the
// holders inside them. The job builders, job discovery and the runner's
// report all name them from here.
#pragma once

#include "fields/Field.h"

namespace jobfields {

// FDC::JobList
constexpr Field kListJobs{2, 5};      // the list of FDC::JobInfo
constexpr Field kListStatus{3, 6};    // 0
constexpr Field kListKind{4, 7};      // 7

// FDC::JobInfo
constexpr Field kInstallation{1, 1};  // holder (18, 3)
constexpr Field kSubclient{2, 2};     // subclient entity (18, 10)
constexpr Field kAppType{4, 4};
constexpr Field kKey{6, 6};           // "<client>_<group>_<backup time>", also the key on each volume
constexpr Field kContent{8, 14};      // holder (32, 39)
constexpr Field kStatistics{9, 15};   // holder (32, 2) of the summary
constexpr Field kData{10, 16};        // holder (32, 1) of the FDC::DataInfo list

// Holder classes (module, type) of the fields above.
constexpr int kEntityModule = 18, kInstallationType = 3, kSubclientType = 10, kPolicyEntityClass = 19;
constexpr int kJobModule = 32, kContentType = 39, kStatisticsType = 2, kSummaryType = 27, kDataType = 1;

// Installation (18, 3)
constexpr Field kInstallationName{1, 1};  // the zonar name
constexpr Field kInstallationFlagA{3, 9};  // 1
constexpr Field kInstallationFlagB{4, 10};  // 1

// Subclient entity (18, 10)
constexpr Field kSubclientName{1, 1};
constexpr Field kSubclientEntityType{2, 5};  // 7
constexpr Field kSubclientBackupSet{5, 11};
constexpr Field kSubclientInstance{8, 20};
constexpr Field kSubclientAppType{10, 28};
constexpr Field kSubclientAppName{11, 29};
constexpr Field kSubclientClient{14, 38};
constexpr Field kSubclientZonar{19, 55};
constexpr Field kSubclientFlag{21, 63};  // 1

// Content holder (32, 39)
constexpr Field kContentPaths{4, 4};  // save set names joined by ","
constexpr Field kContentA{2, 2}, kContentB{1, 1}, kContentC{3, 3};  // 1, 4, 1

// Statistics holder (32, 2) and its summary (32, 27)
constexpr Field kSummary{1, 1};
constexpr Field kSummaryLevel{27, 30};
constexpr Field kSummaryCount{8, 8};       // 1
constexpr Field kSummaryStartTime{9, 9};   // the first save set's backup time, seconds since the epoch
constexpr Field kSummaryKind{1, 1};        // 4
constexpr Field kSummaryBytes{32, 35};
constexpr Field kSummaryBytesAgain{36, 39};
constexpr Field kSummaryFiles{34, 37};
constexpr Field kSummaryPolicy{17, 20};    // storage policy entity (18, 19)
// Fields 10/10 and 11/11 of every summary hold 300: the save set report has
// no duration to put there, and the host wants the same value in both.
constexpr Field kSummaryFixedA{10, 10}, kSummaryFixedB{11, 11};
constexpr long long kSummaryFixedValue = 300;

// FDC::DataInfo, in list 1/1 of the data holder
constexpr Field kDataList{1, 1};
constexpr Field kDataCount{2, 2};   // 1
constexpr Field kDataKind{1, 1};    // 4
constexpr Field kDataBytes{3, 3};
constexpr Field kDataPolicy{4, 4};  // storage policy entity (18, 19)

// Storage policy entity (18, 19)
constexpr Field kPolicyName{1, 1};
constexpr Field kPolicyEntityType{2, 5};  // 17

}  // namespace jobfields
