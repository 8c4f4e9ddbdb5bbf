// The change list of a comparison as terminal text, changes.json and changes.html.
#pragma once

#include <string>

#include "EstateCompare.h"

namespace nwk {

// One line per added or removed record, an indented line per changed attribute.
std::string ChangesText(const EstateChanges& changes);
// Keys in a fixed order; every text read from a server escaped.
std::string ChangesJson(const EstateChanges& changes);
// One page, no script, no outside resource; every text escaped for HTML.
std::string ChangesHtml(const EstateChanges& changes);

}  // namespace nwk
