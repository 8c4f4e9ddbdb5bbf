// What the host process tells its libraries about the current job: where results
// go, whether existing output files are replayed, the host link, the job id,
// the foreign server to question.
// Set once by the runner before the handler is created.
#pragma once

#include <string>

namespace hx {

class MessageObserver;

struct JobContext {
  std::string resultsDir = "./nwk-results";  // <results>
  std::string hostLinkDir;                   // empty: no host link
  bool useExistingFiles = false;             // replay: parse files already in <results>
  bool offline = false;                      // exchange no message with the host server
  long long jobId = 0;
  int commandTimeoutSeconds = 30 * 60;
  // A command writing more is stopped and fails: far above any real report,
  // low enough to keep a babbling command from filling the disk.
  unsigned long long maxCommandOutputBytes = 8ULL << 30;
  std::string settingsFile;                  // INI file, empty: no settings
  // The foreign backup server the job questions, as the user named it; empty:
  // the one the machine's own tools answer for.
  std::string foreignServer;
  // Follows the messages written into <results>/xml/; null: nobody does.
  MessageObserver* messageObserver = nullptr;

  static JobContext& Current();
};

}  // namespace hx
