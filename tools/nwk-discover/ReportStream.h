// Reads message files into estate rows without building a whole message: a
// million save sets or ten thousand clients make files of hundreds of MB.
#pragma once

#include <string>

#include "EstateExtract.h"
#include "EstateRows.h"

namespace nwk {

// Hands the rows of the message file at `path`, which holds a message of
// `kind`, to `sink`: job and media lists field by field, with no message
// built; the elements of other lists one at a time, each rebuilt as a small
// message for kind.extract. False with `error` (naming the path and line)
// when the file cannot be read or is not in the host's XML form; the rows
// of the elements before the fault have gone out.
bool StreamMessageFile(const std::string& path, const MessageRows& kind, EstateSink& sink, std::string* error);
// The same for the document `xml`; `name` stands for it in errors.
bool StreamMessageText(std::string xml, const std::string& name, const MessageRows& kind, EstateSink& sink,
                       std::string* error);

}  // namespace nwk
