// ResultsDirectory: creation, the ownership and link checks, the lock, the
// leftovers of an interrupted run, one sync per step.
#include "ResultsDirectory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hx/Files.h"

namespace nwk {
namespace {

constexpr const char* kLockName = ".lock";
// Our folders inside the results directory: the save set maps (under the
// number the handler base holds, which the runner leaves 0) and the messages.
constexpr const char* kSubfolders[] = {"0", "xml"};

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

bool Fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Octal(unsigned mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", mode & 07777);
  return text;
}

// Missing parents are made as usual; the results directory itself is private.
bool Create(const std::string& dir, std::string* error) {
  struct stat st {};
  if (lstat(dir.c_str(), &st) == 0) return true;
  std::string why;
  if (!hx::MakeDirectories(hx::FolderOf(dir), &why)) return Fail(error, "cannot create results directory " + Quoted(dir) + ": " + why);
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    return Fail(error, "cannot create results directory " + Quoted(dir) + ": " + std::strerror(errno));
  return true;
}

// Who holds the lock, from the process id it wrote into the lock file.
std::string HolderOf(int lockFd) {
  char text[32] = {};
  ssize_t n = pread(lockFd, text, sizeof text - 1, 0);
  size_t digits = 0;
  while (n > 0 && digits < static_cast<size_t>(n) && text[digits] >= '0' && text[digits] <= '9') ++digits;
  return digits > 0 ? "process " + std::string(text, digits) : "another process";
}

int RemoveLeftoversIn(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return 0;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return 0;
  }
  int removed = 0;
  while (dirent* entry = readdir(dir))
    if (hx::IsLeftoverTemporary(entry->d_name) && unlinkat(dirfd(dir), entry->d_name, 0) == 0) ++removed;
  closedir(dir);
  return removed;
}

// A path with every symbolic link resolved, also when its tail does not exist
// yet (the missing part is kept as written).
std::string Canonical(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved)) return resolved;
  std::string parent = hx::FolderOf(path);
  if (parent == path) return path;
  return hx::JoinPath(Canonical(parent), path.substr(path.rfind('/') + 1));
}

// Whether `inner` is `outer` or lies inside it.
bool IsWithin(const std::string& inner, const std::string& outer) {
  return inner.compare(0, outer.size(), outer) == 0 &&
         (inner.size() == outer.size() || outer == "/" || inner[outer.size()] == '/');
}

}  // namespace

bool ResultsDirectory::Open(const std::string& dir, bool create, std::string* error) {
  m_dir = WithoutTrailingSlashes(dir);
  if (create && !Create(m_dir, error)) return false;
  return Check(error) && Lock(error);
}

// The directory must be ours alone: a folder that others can write lets them
// plant links that would send our writes anywhere this user may write.
bool ResultsDirectory::Check(std::string* error) const {
  struct stat st {};
  if (stat(m_dir.c_str(), &st) != 0)
    return Fail(error, "results directory " + Quoted(m_dir) + (errno == ENOENT ? " does not exist" : ": " + std::string(std::strerror(errno))));
  if (!S_ISDIR(st.st_mode)) return Fail(error, "results directory " + Quoted(m_dir) + " is not a folder");
  if (st.st_uid != geteuid())
    return Fail(error, "results directory " + Quoted(m_dir) + " belongs to user id " + std::to_string(st.st_uid) +
                           ", not to the user running nwk-discover (" + std::to_string(geteuid()) + "): choose a directory of your own");
  if (st.st_mode & (S_IWGRP | S_IWOTH))
    return Fail(error, "results directory " + Quoted(m_dir) + " can be written by group or others (mode " + Octal(st.st_mode) +
                           "): make it private (chmod go-w) or choose another");
  for (const char* name : kSubfolders) {
    std::string path = hx::JoinPath(m_dir, name);
    if (lstat(path.c_str(), &st) != 0) continue;
    if (S_ISLNK(st.st_mode)) return Fail(error, Quoted(path) + " is a symbolic link: nothing is written through one; remove it");
    if (!S_ISDIR(st.st_mode)) return Fail(error, Quoted(path) + " is not a folder; remove it");
  }
  if (access(m_dir.c_str(), W_OK) != 0) return Fail(error, "results directory " + Quoted(m_dir) + " is not writable");
  return true;
}

bool ResultsDirectory::Lock(std::string* error) {
  std::string path = hx::JoinPath(m_dir, kLockName);
  m_lockFd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (m_lockFd < 0) return Fail(error, "cannot lock results directory " + Quoted(m_dir) + ": " + std::strerror(errno));
  if (flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
    int code = errno;
    std::string holder = HolderOf(m_lockFd);
    Unlock();
    if (code == EWOULDBLOCK) return Fail(error, "results directory " + Quoted(m_dir) + " is in use by " + holder);
    return Fail(error, "cannot lock results directory " + Quoted(m_dir) + ": " + std::strerror(code));
  }
  // Only to name the holder to a second run: a failure here does not matter.
  std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(m_lockFd, 0) == 0) (void)!pwrite(m_lockFd, pid.data(), pid.size(), 0);
  return true;
}

int ResultsDirectory::RemoveLeftovers() const {
  int removed = RemoveLeftoversIn(m_dir);
  for (const char* name : kSubfolders) removed += RemoveLeftoversIn(hx::JoinPath(m_dir, name));
  return removed;
}

bool ResultsDirectory::Sync(std::string* error) const {
  if (m_lockFd >= 0 && syncfs(m_lockFd) == 0) return true;
  return Fail(error, "cannot sync the files of " + Quoted(m_dir) + ": " + std::strerror(m_lockFd >= 0 ? errno : EBADF));
}

void ResultsDirectory::Unlock() {
  if (m_lockFd >= 0) close(m_lockFd);
  m_lockFd = -1;
}

bool CheckApart(const std::string& datasetDir, const std::string& resultsDir, std::string* error) {
  std::string dataset = Canonical(WithoutTrailingSlashes(datasetDir));
  std::string results = Canonical(WithoutTrailingSlashes(resultsDir));
  if (dataset == results)
    return Fail(error, "results directory " + Quoted(resultsDir) + " is the dataset " + Quoted(datasetDir) +
                           " itself: its reports would be copied over themselves; choose another results directory");
  if (IsWithin(results, dataset) || IsWithin(dataset, results))
    return Fail(error, "results directory " + Quoted(resultsDir) + " and the dataset " + Quoted(datasetDir) +
                           " lie one inside the other: choose a results directory apart from the dataset");
  return true;
}

}  // namespace nwk
