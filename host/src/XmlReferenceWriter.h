// The XML form of a message as libxml2's text writer writes it: the reference
// that MessageXmlWriter is held to (internal to the host library).
#pragma once

#include <string>

#include "hx/Message.h"

namespace hx {

// The same document as WriteMessageXml, made with xmlTextWriter, slowly: only the
// differential tests, the writer's fuzz target and the benchmark call it.
bool WriteMessageXmlReference(const CNMessageBase& msg, std::string* xmlOut, std::string* error);

}  // namespace hx
