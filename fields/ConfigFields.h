// Fields of the configuration message (FDC::ExternalNBUConfig) that
// configuration discovery completes, and of the status message
// (FDC::DiscoveryError) the host server is told.
#pragma once

#include "fields/Field.h"

namespace configfields {

// FDC::ExternalNBUConfig
constexpr Field kOptions{20, 62};  // list of integers; discovery appends kOptionValues
constexpr int kOptionValues[] = {1, 4, 5, 3};
// What the host server's response says, copied into the message in this
// order: four numbers (0 when the response lacks one), a list and a text.
constexpr Field kResponseNumbers[] = {{16, 58}, {17, 59}, {19, 61}, {18, 60}};
constexpr Field kResponseList{24, 75};
constexpr Field kResponseText{25, 76};

// FDC::DiscoveryError
constexpr Field kStatusTime{1, 1};    // seconds since the epoch
constexpr Field kStatusFailed{5, 8};  // 1 when the status reports a failure
constexpr Field kStatusText{6, 9};
constexpr Field kStatusJob{2, 2};
constexpr Field kStatusHost{4, 4};    // the local host name
// 9 at 3/3 of every status: the host's value, undocumented.
constexpr Field kStatusFixed{3, 3};
constexpr long long kStatusFixedValue = 9;

}  // namespace configfields
