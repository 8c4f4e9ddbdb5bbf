// Which jobs lie on which volume: one file per volume in the results
// directory, each job key ended by the byte 0x12. Job discovery starts them
// afresh and appends group after group; media discovery reads them back.
#include <dirent.h>
#include <unistd.h>

#include <cerrno>

#include "handler/CForeignHandlerNWK.h"
#include "hx/CmdExecBase.h"
#include "hx/Files.h"
#include "hx/Log.h"
#include "hx/Strings.h"

namespace {

constexpr char kKeyEnd = 0x12;
constexpr char kEscape = '\\';

// The reader splits on kKeyEnd with kEscape as the escape character.
void AppendEscapedKey(std::string& text, const std::string& key) {
  for (char c : key) {
    if (c == kEscape || c == kKeyEnd) text += kEscape;
    text += c;
  }
  text += kKeyEnd;
}

bool IsMappingFileName(const std::string& name) {
  constexpr std::string_view kSuffix = ".txt";
  return name.size() > kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0 &&
         name.rfind("tarn_", 0) != 0;
}

std::string MappingPath(const std::string& resultsDir, const std::string& volume) {
  return resultsDir + "/" + hx::SafeFileName(volume) + ".txt";
}

std::string OpenFailure(const std::string& path, const CLmError& rc) {
  return "File [" + path + "] failed to open with error code [" + std::to_string(rc.GetErrorCode()) +
         "], error string [" + rc.AsString() + "]";
}

void LogOpenFailure(const char* func, const std::string& path, const CLmError& rc) {
  EvEvent().Error(func, "%s", OpenFailure(path, rc).c_str());
}

}  // namespace

bool CForeignHandlerNWK::DumpMediaJobMapping(std::string volume, const std::vector<std::string>& jobKeys) {
  std::vector<hx::ErrorLine> said;
  bool written = WriteMediaJobMapping(GetJobResultsDirForJob(), volume, jobKeys, &said);
  for (const hx::ErrorLine& line : said) EvEvent().Error(line.func, "%s", line.text.c_str());
  return written;
}

bool CForeignHandlerNWK::WriteMediaJobMapping(const std::string& dir, const std::string& volume,
                                              const std::vector<std::string>& jobKeys,
                                              std::vector<hx::ErrorLine>* said) {
  const char* kFunc = "CForeignHandlerNWK::DumpMediaJobMapping";
  if (volume.empty()) return false;
  std::string path = MappingPath(dir, volume);
  CLmFile file;
  CLmError rc = file.Open(path, CLmFile::kAppend);
  if (rc.IsError()) {
    said->push_back({kFunc, OpenFailure(path, rc)});
    return false;
  }
  std::string text;
  for (const std::string& key : jobKeys) AppendEscapedKey(text, key);
  size_t done = 0;
  rc = file.Write(text.data(), text.size(), &done);
  if (rc.IsError())
    said->push_back({kFunc, "File [" + path + "] - failed to write with error code [" +
                                std::to_string(rc.GetErrorCode()) + "], error string [" + rc.AsString() + "]"});
  return true;
}

bool CForeignHandlerNWK::RetrieveMediaJobMapping(std::string volume, std::vector<std::string>& jobKeys) {
  const char* kFunc = "CForeignHandlerNWK::RetrieveMediaJobMapping";
  jobKeys.clear();
  if (volume.empty()) return false;
  if (m_mappingFiles && m_mappingFiles->count(hx::SafeFileName(volume) + ".txt") == 0) return true;
  std::string path = MappingPath(GetJobResultsDirForJob(), volume);
  CLmFile file;
  // A volume without jobs has no file, and reading it must not make one: a
  // jukebox of thousands of empty slots would cost as many files.
  CLmError rc = file.Open(path, CLmFile::kRead);
  if (rc.GetErrorCode() == -ENOENT) return true;
  if (rc.IsError()) {
    LogOpenFailure(kFunc, path, rc);
    return false;
  }
  std::string text;
  char buffer[512];
  for (size_t done = 0;; text.append(buffer, done)) {
    rc = file.Read(buffer, sizeof buffer, &done);
    if (rc.IsError())
      EvEvent().Error(kFunc, "File [%s] - failed to read with error code [%d], error string [%s]", path.c_str(),
                      rc.GetErrorCode(), rc.AsString().c_str());
    if (rc.IsError() || done == 0) break;
  }
  CForeignCmdExecBase::SplitLine(text, jobKeys, kKeyEnd, kEscape, 0, 0);
  if (!jobKeys.empty()) jobKeys.pop_back();
  return true;
}

namespace {

// Calls `visit` with the name of each mapping file in `dir`; false when `dir`
// cannot be listed.
template <typename Visit>
bool ForEachMappingFile(const std::string& dir, Visit visit) {
  DIR* folder = opendir(dir.c_str());
  if (!folder) return false;
  while (dirent* entry = readdir(folder)) {
    std::string name = entry->d_name;
    if ((entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) && IsMappingFileName(name)) visit(name);
  }
  closedir(folder);
  return true;
}

}  // namespace

void CForeignHandlerNWK::ClearMediaJobMappings() {
  std::string dir = GetJobResultsDirForJob();
  // Nothing to clear when the folder cannot be listed: the first write reports the problem.
  ForEachMappingFile(dir, [&](const std::string& name) {
    std::string path = hx::JoinPath(dir, name);
    if (unlink(path.c_str()) != 0)
      EvEvent().Error("CForeignHandlerNWK::ClearMediaJobMappings", "Could not remove the old mapping file [%s]",
                      path.c_str());
  });
}

void CForeignHandlerNWK::ListMediaJobMappings() {
  std::unordered_set<std::string> names;
  if (ForEachMappingFile(GetJobResultsDirForJob(), [&](const std::string& name) { names.insert(name); }))
    m_mappingFiles = std::move(names);
  else
    m_mappingFiles.reset();  // each volume's file is then looked for on its own
}
