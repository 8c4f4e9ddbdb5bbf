// File access the host offers its plug-ins: a line writer (HxFile) and a
// binary reader/writer (CLmFile). Both close their descriptor when destroyed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "hx/Error.h"

// Writes text lines to a file. open(path, 3, 0, 0) creates or truncates it.
class HxFile {
 public:
  HxFile() = default;
  ~HxFile();
  HxFile(const HxFile&) = delete;
  HxFile& operator=(const HxFile&) = delete;

  // mode 3: write, create or truncate; mode 1: read. Answers 0 on success, -1 on error.
  int open(const std::string& path, int mode, int share, int flags);
  // Writes `text`, followed by a line feed when `newline` is true. 0 or -1.
  int putLine(const std::string& text, bool newline);
  int close();

 private:
  int m_fd = -1;
};

// Binary file access. Open modes: kRead, kWrite (create or truncate), kAppend.
class CLmFile {
 public:
  enum Mode { kRead = 1, kWrite = 2, kAppend = 3 };
  CLmFile() = default;
  ~CLmFile();
  CLmFile(const CLmFile&) = delete;
  CLmFile& operator=(const CLmFile&) = delete;

  CLmError Open(const std::string& path, int mode);
  // Reads up to `size` bytes; `*done` receives the count (0 at end of file).
  CLmError Read(void* buffer, size_t size, size_t* done);
  // Writes all `size` bytes; `*done` receives the count written.
  CLmError Write(const void* buffer, size_t size, size_t* done);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
  std::string m_path;
};

namespace hx {

// Reads a whole file. False (with `error` naming the path) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* content, std::string* error);
// Creates `dir` and its missing parents. False with `error` when that fails.
bool MakeDirectories(const std::string& dir, std::string* error);
bool FileExists(const std::string& path);
// Writes `content` to a temporary file beside `path` and renames it over
// `path` (or, when `path` does not exist yet, to an unnamed file linked there),
// so readers see the old file or the new one, never a part. A symbolic
// link at `path` is replaced, never written through. Not synced: callers make
// a whole operation's files durable at once.
bool ReplaceFile(const std::string& path, std::string_view content, std::string* error);
// Copies `from` to `to` in the same way (temporary file, then rename): a failed
// copy leaves no part of itself, and `error` names the cause as the system gave
// it ("No space left on device"). Reads and writes in chunks, whatever the size.
bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error);

// Every temporary file we write in a folder is named kTempPrefix and six
// random characters: short, so it fits wherever the name it stands for fits.
constexpr const char* kTempPrefix = ".hxtmp.";
// Creates a new empty temporary file (mode 0644) in `folder`, open for writing;
// its path goes to `path`. -1 with errno set when that fails.
int CreateTempFile(const std::string& folder, std::string* path);
// Creates a new empty file in `folder` that has no name yet (mode 0644, open
// for writing): nobody sees it before LinkUnnamedFile names it, and it
// vanishes with its descriptor otherwise. -1 where the file system or the
// system (no /proc) cannot give such files a name; callers then use a
// temporary file.
int CreateUnnamedFile(const std::string& folder);
// Gives the file of CreateUnnamedFile the name `path` unless that exists: 0, or errno (EEXIST).
int LinkUnnamedFile(int fd, const std::string& path);
// Whether a file name is one of our temporary files (as named now, or by
// older versions), which only an interrupted run leaves behind.
bool IsLeftoverTemporary(std::string_view name);
// The folder part of `path` ("." when it has none).
std::string FolderOf(const std::string& path);
// Joins two path pieces with exactly one '/'.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace hx
