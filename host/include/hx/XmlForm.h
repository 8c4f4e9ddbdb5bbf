// The XML form of messages: how they are written for the host (results folder,
// host link outbox; the same bytes as libxml2's text writer gives) and read back
// (host link inbox, with libxml2).
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <msg class="App::ClientsList" module="30" type="164">
//     <int64 i="2" t="2">0</int64>
//     <string i="4" t="7">text</string>
//     <intlist i="20" t="62"><v>1</v><v>4</v></intlist>
//     <ulonglist i="24" t="75"><v>7</v></ulonglist>
//     <msg i="1" t="1" module="30" type="115">...</msg>      (embedded message)
//     <list i="3" t="3"><msg module=".." type="..">...</msg></list>
//   </msg>
//
// Fields appear in the order they were first set; `class` is there when the class
// has a name; a list element carries no i/t. Empty strings are written as
// <string i=".." t=".."></string>, empty lists and messages as self-closing tags.
#pragma once

#include <string>
#include <string_view>

#include "hx/Message.h"

namespace hx {

// Deepest nesting of messages (root is 0) that is written or read.
constexpr int kMaxMessageDepth = 64;

// `bytes` as text that XML 1.0 accepts: every byte of invalid UTF-8, of a control
// character other than tab, newline and carriage return, and of U+FFFE or U+FFFF
// becomes U+FFFD. Valid text comes back unchanged.
std::string CleanXmlText(std::string_view bytes);

// The whole document, 2-space indented, ending in a newline. Strings are cleaned
// first, so the output is always well formed. False (with `error`) when the
// message nests deeper than kMaxMessageDepth.
bool WriteMessageXml(const CNMessageBase& msg, std::string* xmlOut, std::string* error);

// Writes through a temporary file in the same folder, renamed over `path`, so
// `path` never holds a partial document. False on any I/O error; `error` then
// names the path and the system's reason. Neither this nor DumpMessageToFolder
// syncs: the caller makes its files durable at once (one syncfs per operation).
bool WriteMessageXmlFile(const CNMessageBase& msg, const std::string& path, std::string* error);

// Writes `folder`/NNNNN_<Class_Name>.xml (creating the folder when missing):
// "::" in the class name becomes "_", an unnamed class is "Msg_<module>_<type>",
// NNNNN is one more than the highest number of any NNNNN_*.xml already there
// (5 digits at least). An existing file is never replaced. The folder is listed
// once per process; later dumps count on while it is left as this process left it.
bool DumpMessageToFolder(const CNMessageBase& msg, const std::string& folder, std::string* writtenPath,
                         std::string* error);

// The number of a dump file name "NNNNN_<anything>.xml" (at least 5 digits); false otherwise.
bool DumpNumberOf(std::string_view name, unsigned long* number);
// The number the next message dumped into `folder` gets. False (with `error`)
// when the folder cannot be listed.
bool NextDumpNumber(const std::string& folder, unsigned long* next, std::string* error);

// Rebuilds a message from its XML form into `*out` (module, type and the class
// name from the registry; a `class` attribute must name the registered class of
// its module and type). Input may be hostile: no network, no DTD, numbers checked
// whole and in range, nesting capped. On failure `*out` is unchanged and `error`
// says what is wrong and on which line ("line 3: ..."; the file reader puts the
// path first).
bool ReadMessageXml(std::string_view xml, CNMessageBase* out, std::string* error);
bool ReadMessageXmlFile(const std::string& path, CNMessageBase* out, std::string* error);

}  // namespace hx
