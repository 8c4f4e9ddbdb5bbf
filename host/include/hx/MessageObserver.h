// Lets the host process follow the messages a handler writes into its results
// folder as they are written, without reading the files back.
#pragma once

#include <string>

#include "hx/Message.h"

namespace hx {

// Told of every message the handler base writes into <results>/xml/
// (DumpXmlMsgToFile, StartXmlMsgDump), on the thread that made the message and
// in the order the messages are numbered: `Writing` before the write starts
// (the message may be handed to the writing thread and freed right after),
// then `Written` once its outcome is known. Writes never overlap, so each
// `Written` answers the `Writing` just before it. A message whose write failed
// is not in the folder: whatever the observer took from it must be dropped.
class MessageObserver {
 public:
  virtual ~MessageObserver() = default;
  virtual void Writing(const CNMessageBase& msg) = 0;
  // `path` is the file written; empty when the write failed.
  virtual void Written(const std::string& path) = 0;
};

}  // namespace hx
