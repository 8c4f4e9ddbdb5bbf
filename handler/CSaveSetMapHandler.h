// Stable subclient names for NetWorker resources. A resource has no name of
// its own, so each (group, first save set) pair of a client gets
// "subclient<N>", kept in one small file per client so that the next run
// gives the same resource the same name.
//
// File <dir>/<client>.txt (client name made safe for a file name): the next
// number on the first line, then "key,name" per entry in map order.
#pragma once

#include <map>
#include <string>

#include "handler/CForeignHandlerNWK.h"

struct ssrecord {
  ssrecord(std::string n, bool l) : name(std::move(n)), loaded(l) {}
  std::string name;
  bool loaded;  // read from the file and not asked for during this run
};

class CSaveSetMapHandler {
 public:
  CSaveSetMapHandler() = default;

  void set_jobResultsDir(const std::string& dir) { m_jobResultsDir = dir; }
  void set_clientName(const std::string& name) { m_clientName = name; }

  // Loads the client's file; a missing or unreadable file is an empty map.
  bool LoadSaveSetMap();
  // The name for `key`, handing out the next number for a new key.
  std::string get_AppName(const std::string& key);
  // Writes the client's file anew. False (logged) when it cannot be saved:
  // the next run would then give this run's new resources other names.
  bool SaveMap();

  // The map file of the current client.
  std::string MapFilePath() const;

 private:
  void LoadLine(const std::string& line);
  bool EnsureFolder(std::string* error);

  std::string m_jobResultsDir;
  std::string m_clientName;
  int m_nextNumber = 1;
  int m_highestLoaded = 0;  // the highest "subclient<N>" in the file
  std::string m_loadedText;   // the file as read, to skip rewriting it unchanged
  std::string m_folderReady;  // the folder already made
  std::map<std::string, ssrecord, stringcomparator_caseinsensitive> m_map;
};
