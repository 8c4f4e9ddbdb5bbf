// HxFile, CLmFile and small file-system helpers, on POSIX descriptors.
#include "hx/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string ErrnoText(const std::string& what, const std::string& path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

bool WriteAll(int fd, const char* data, size_t size, size_t* done) {
  *done = 0;
  while (*done < size) {
    ssize_t n = ::write(fd, data + *done, size - *done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    *done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

HxFile::~HxFile() { close(); }

int HxFile::open(const std::string& path, int mode, int /*share*/, int /*flags*/) {
  close();
  int oflags = mode == 3 ? O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW : O_RDONLY;
  m_fd = ::open(path.c_str(), oflags | O_CLOEXEC, 0644);
  return m_fd >= 0 ? 0 : -1;
}

int HxFile::putLine(const std::string& text, bool newline) {
  if (m_fd < 0) return -1;
  std::string line = newline ? text + "\n" : text;
  size_t done = 0;
  return WriteAll(m_fd, line.data(), line.size(), &done) ? 0 : -1;
}

int HxFile::close() {
  if (m_fd < 0) return 0;
  int rc = ::close(m_fd);
  m_fd = -1;
  return rc == 0 ? 0 : -1;
}

CLmFile::~CLmFile() { Close(); }

CLmError CLmFile::Open(const std::string& path, int mode) {
  Close();
  int oflags = O_RDONLY;
  // Writes never go through a symbolic link: a planted one would send them out of the results directory.
  if (mode == kWrite) oflags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
  if (mode == kAppend) oflags = O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW;
  m_fd = ::open(path.c_str(), oflags | O_CLOEXEC, 0644);
  m_path = path;
  if (m_fd < 0) return CLmError(-errno, ErrnoText("cannot open", path));
  return CLmError::Ok();
}

CLmError CLmFile::Read(void* buffer, size_t size, size_t* done) {
  *done = 0;
  if (m_fd < 0) return CLmError(-EBADF, "file not open");
  ssize_t n;
  do {
    n = ::read(m_fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return CLmError(-errno, ErrnoText("cannot read", m_path));
  *done = static_cast<size_t>(n);
  return CLmError::Ok();
}

CLmError CLmFile::Write(const void* buffer, size_t size, size_t* done) {
  *done = 0;
  if (m_fd < 0) return CLmError(-EBADF, "file not open");
  if (!WriteAll(m_fd, static_cast<const char*>(buffer), size, done))
    return CLmError(errno ? -errno : -EIO, ErrnoText("cannot write", m_path));
  return CLmError::Ok();
}

void CLmFile::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

namespace hx {

bool ReadWholeFile(const std::string& path, std::string* content, std::string* error) {
  content->clear();
  CLmFile file;
  CLmError rc = file.Open(path, CLmFile::kRead);
  if (rc.IsError()) {
    if (error) *error = rc.AsString();
    return false;
  }
  char buffer[65536];
  for (;;) {
    size_t n = 0;
    rc = file.Read(buffer, sizeof buffer, &n);
    if (rc.IsError()) {
      if (error) *error = rc.AsString();
      return false;
    }
    if (n == 0) return true;
    content->append(buffer, n);
  }
}

bool MakeDirectories(const std::string& dir, std::string* error) {
  if (dir.empty()) return true;
  for (size_t pos = dir.find('/', 1);; pos = dir.find('/', pos + 1)) {
    std::string prefix = pos == std::string::npos ? dir : dir.substr(0, pos);
    if (!prefix.empty() && ::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
      if (error) *error = ErrnoText("cannot create directory", prefix);
      return false;
    }
    if (pos == std::string::npos) break;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = "not a directory: '" + dir + "'";
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int CreateTempFile(const std::string& folder, std::string* path) {
  *path = JoinPath(folder, std::string(kTempPrefix) + "XXXXXX");
  int fd = mkostemp(path->data(), O_CLOEXEC);
  if (fd >= 0 && fchmod(fd, 0644) != 0) {
    int code = errno;
    ::close(fd);
    unlink(path->c_str());
    errno = code;
    return -1;
  }
  return fd;
}

// Unnamed files are named through /proc: linking a descriptor itself needs a
// privilege we do not ask for.
int CreateUnnamedFile(const std::string& folder) {
  static const bool canName = access("/proc/self/fd", X_OK) == 0;
  if (!canName) return -1;
  int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  if (fd >= 0 && fchmod(fd, 0644) != 0) {  // as a temporary file gets, whatever the umask
    ::close(fd);
    return -1;
  }
  return fd;
}

int LinkUnnamedFile(int fd, const std::string& path) {
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

bool IsLeftoverTemporary(std::string_view name) {
  constexpr std::string_view kOlderXmlPrefix = ".hxmsg.tmp";
  // Older runs named a replacement "<name>.tmpXXXXXX"; every file of ours ends in its own extension.
  constexpr std::string_view kOlderSuffix = ".tmp";
  constexpr size_t kRandomChars = 6;
  if (name.rfind(kTempPrefix, 0) == 0 || name.rfind(kOlderXmlPrefix, 0) == 0) return true;
  size_t at = name.size() >= kOlderSuffix.size() + kRandomChars ? name.size() - kOlderSuffix.size() - kRandomChars : 0;
  return at > 0 && name.substr(at, kOlderSuffix.size()) == kOlderSuffix;
}

namespace {

// Places a finished temporary file at `path`; a link there is replaced, never followed.
bool Publish(const std::string& temp, const std::string& path, bool ok, const std::string& what, std::string* error) {
  int code = errno;
  if (ok && rename(temp.c_str(), path.c_str()) != 0) ok = false, code = errno;
  if (!ok) {
    unlink(temp.c_str());
    if (error) *error = what + ": " + std::strerror(code);
  }
  return ok;
}

// Copies every byte of `in` to `out`; on failure errno says why (a write that
// stops short is retried, so a full disk reads ENOSPC, not a short count).
bool CopyBytes(int in, int out) {
  // Within the kernel where it can (one copy of each page, not two); where it
  // cannot (another file system, an old kernel) by reading and writing, on
  // from where it stopped: both offsets have moved with what it copied.
  for (;;) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
    if (n > 0) continue;
    if (n == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
    break;
  }
  constexpr size_t kChunk = 1 << 20;
  std::vector<char> buffer(kChunk);
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    size_t done = 0;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(n), &done)) return false;
  }
}

// A file that does not exist yet is written unnamed and linked into place:
// one name made instead of a temporary one made and renamed. False, with
// nothing written, when that cannot be done (the name exists, no unnamed
// files here); `*failed` is set when writing failed, errno then says why.
bool WriteNewFile(const std::string& path, std::string_view content, bool* failed) {
  *failed = false;
  int fd = CreateUnnamedFile(FolderOf(path));
  if (fd < 0) return false;
  size_t done = 0;
  if (!WriteAll(fd, content.data(), content.size(), &done)) {
    int code = errno;
    ::close(fd);
    errno = code;
    *failed = true;
    return false;
  }
  int linked = LinkUnnamedFile(fd, path);
  ::close(fd);
  return linked == 0;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view content, std::string* error) {
  bool failed = false;
  if (WriteNewFile(path, content, &failed)) return true;
  if (failed) {
    if (error) *error = ErrnoText("cannot write", path);
    return false;
  }
  std::string temp;
  int fd = CreateTempFile(FolderOf(path), &temp);
  if (fd < 0) {
    if (error) *error = ErrnoText("cannot write", path);
    return false;
  }
  size_t done = 0;
  bool ok = WriteAll(fd, content.data(), content.size(), &done);
  int code = errno;
  if (::close(fd) != 0 && ok) ok = false, code = errno;
  errno = code;
  return Publish(temp, path, ok, "cannot write '" + path + "'", error);
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  std::string what = "cannot copy '" + from + "' to '" + to + "'";
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
  }
  std::string temp;
  int out = CreateTempFile(FolderOf(to), &temp);
  bool ok = out >= 0 && CopyBytes(in, out);
  int code = errno;
  ::close(in);
  if (out < 0) {
    if (error) *error = what + ": " + std::strerror(code);
    return false;
  }
  if (::close(out) != 0 && ok) ok = false, code = errno;
  errno = code;
  return Publish(temp, to, ok, what, error);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace hx
