// Fields of the storage policy messages: FDC::StoragePolicyList, its
// FDC::StoragePolicy entries, their copies and the copies' data paths. The
// policy builders and the runner's report name them from here.
#pragma once

#include "fields/Field.h"

namespace policyfields {

// FDC::StoragePolicyList
constexpr Field kListInstallation{1, 1};  // the zonar name
constexpr Field kListStatus{5, 11};       // 0
constexpr Field kPolicies{4, 10};         // list of FDC::StoragePolicy, the default policy first

// FDC::StoragePolicy
constexpr Field kPolicyName{1, 1};         // the pool's name
constexpr Field kPolicyDescription{2, 5};
constexpr Field kPolicyPrimaryCopy{3, 9};  // the name of its first copy (the pool's name while it has none)
constexpr Field kPolicyTimeZone{9, 21};    // the time zone's display name
constexpr Field kCopies{10, 25};           // list of FDC::StoragePolicyCopy
constexpr Field kPolicyZero{8, 20};        // 0
// Set on the default policy only, as the host wants it: "Primary Copy", 5, 1
// and 0. Nothing documents the numbers' meaning.
constexpr Field kPolicyDefaultCopy{6, 15};
constexpr Field kPolicyDefaultFixed{5, 14};
constexpr Field kPolicyDefaultFlag{4, 13};
constexpr Field kPolicyDefaultZero{7, 19};

// FDC::StoragePolicyCopy
constexpr Field kCopyPolicy{1, 1};  // the policy's name
constexpr Field kCopyNumber{2, 5};  // 1, 2, ... within the policy
constexpr Field kCopyName{3, 6};
constexpr Field kCopyDescription{12, 18};
constexpr Field kCopyPrimary{9, 15};  // 1 for the default policy's copy, else 0
// Set, in this order, after kCopyPrimary: 0 in each of kCopyZeroes, then
// 1 in kCopyFlagA and kCopyFlagB, then -1 in kCopyMinusOne. The host wants
// these values in every copy; nothing documents their meaning.
constexpr Field kCopyZeroes[] = {{4, 10}, {5, 11}, {8, 14}, {10, 16}, {11, 17}};
constexpr Field kCopyFlagA{6, 12}, kCopyFlagB{7, 13};
constexpr Field kCopyMinusOne{14, 23};
constexpr Field kDataPaths{15, 24};  // list of FDC::StoragePolicyDataPath

// FDC::StoragePolicyDataPath
constexpr Field kPathPolicy{1, 1};  // the policy's name
constexpr Field kPathCopy{2, 5};    // the copy's name, cut to 64 characters
constexpr Field kPathLibrary{5, 17};
constexpr Field kPathNone{3, 9};    // "None"
constexpr Field kPathMediaAgent{4, 13};
// 1 in kPathFlagA and kPathFlagB, then 0 in each of kPathZeroes, as the
// host wants them in every data path.
constexpr Field kPathFlagA{7, 22}, kPathFlagB{8, 23};
constexpr Field kPathZeroes[] = {{6, 21}, {9, 24}, {10, 25}, {11, 26}, {12, 27}};

}  // namespace policyfields
