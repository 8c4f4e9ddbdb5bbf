// Writing the XML form of messages, and placing the written documents in
// folders without ever exposing or replacing a file.
#include "hx/XmlForm.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>
#include <system_error>

#include "BackgroundDump.h"
#include "DumpNumbers.h"
#include "MessageXmlWriter.h"
#include "XmlCommon.h"
#include "hx/Files.h"

namespace hx {
using namespace xmlcommon;
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

}  // namespace

std::string CleanXmlText(std::string_view bytes) {
  std::string clean;
  clean.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t codePoint = 0;
    std::size_t length = DecodeUtf8(bytes, &codePoint);
    if (length > 0 && AllowedInXml(codePoint)) {
      clean.append(bytes.data(), length);
    } else {
      length = length == 0 ? 1 : length;  // one replacement per bad byte
      for (std::size_t k = 0; k < length; ++k) clean += kReplacement;
    }
    bytes.remove_prefix(length);
  }
  return clean;
}

namespace {

// --- Files ---

std::string SystemError(const std::string& what, const std::string& path, int code) {
  return what + " '" + path + "': " + std::error_code(code, std::generic_category()).message();
}

// Writes a new hidden file in `folder` with `fill`; `target` names the file
// being written in error messages. A failed fill leaves no file. The file is
// not synced here: the runner makes a whole operation's files durable with
// one sync of the file system, where a sync per file would cost a disk flush
// per message.
bool WriteTempFile(const std::string& folder, const std::string& target,
                   const std::function<bool(int fd, std::string* error)>& fill, std::string* tempPath,
                   std::string* error) {
  std::string path;
  int fd = CreateTempFile(folder, &path);
  if (fd < 0) return SetError(error, SystemError("cannot write", target, errno));
  if (!fill(fd, error)) {
    close(fd);
    unlink(path.c_str());
    return false;
  }
  if (close(fd) != 0) {
    int code = errno;
    unlink(path.c_str());
    return SetError(error, SystemError("cannot write", target, code));
  }
  *tempPath = path;
  return true;
}

// Gives the temporary file its final name unless that name exists: 0, or errno.
int PublishWithoutReplacing(const std::string& tempPath, const std::string& path) {
  if (link(tempPath.c_str(), path.c_str()) == 0) return 0;
  if (errno != EPERM && errno != EOPNOTSUPP) return errno;
  // No hard links here (some mounted file systems): claim the name, then replace the claim.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  close(fd);
  if (rename(tempPath.c_str(), path.c_str()) == 0) return 0;
  int code = errno;
  unlink(path.c_str());
  return code;
}

std::string DumpFileName(unsigned long number, const CNMessageBase& msg) {
  std::string digits = Number(number);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
  std::string name = "Msg_" + Number(msg.module()) + "_" + Number(msg.type());
  if (msg.className()) {
    name = msg.className();
    for (std::size_t at; (at = name.find("::")) != std::string::npos;) name.replace(at, 2, "_");
  }
  for (char& c : name) {  // a class name never becomes a path
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    if (!plain) c = '_';
  }
  return digits + "_" + name + ".xml";
}

}  // namespace

bool WriteMessageXml(const CNMessageBase& msg, std::string* xmlOut, std::string* error) {
  MessageXmlWriter writer(xmlOut);
  return writer.Write(msg, error);
}

namespace {

// Streams the message's XML into `fd`; `target` names the file in messages.
// A large one starts its way to disk at once (kStreamedFileSize).
bool WriteMessageXmlToFd(const CNMessageBase& msg, int fd, const std::string& target, std::string* error) {
  MessageXmlWriter writer(fd);
  if (writer.Write(msg, error)) {
    if (lseek(fd, 0, SEEK_CUR) >= kStreamedFileSize)
      sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);  // a hint only: the operation's sync makes it durable
    return true;
  }
  if (writer.writeErrno() != 0) return SetError(error, SystemError("cannot write", target, writer.writeErrno()));
  return PrefixError(error, "cannot write '" + target + "': ");
}

}  // namespace

bool WriteMessageXmlFile(const CNMessageBase& msg, const std::string& path, std::string* error) {
  std::string tempPath;
  std::string folder = FolderOf(path);
  auto fill = [&](int fd, std::string* why) { return WriteMessageXmlToFd(msg, fd, path, why); };
  if (!WriteTempFile(folder, path, fill, &tempPath, error)) return false;
  if (rename(tempPath.c_str(), path.c_str()) != 0) {
    int code = errno;
    unlink(tempPath.c_str());
    return SetError(error, SystemError("cannot write", path, code));
  }
  return true;
}

namespace {

// A dump written but not yet named: an unnamed file (O_TMPFILE) where the file
// system has them, which costs no name to create and none to remove and
// vanishes by itself if the run dies; otherwise a hidden temporary file.
struct PendingDump {
  int fd = -1;           // the unnamed file, open
  std::string tempPath;  // or the temporary file
};

bool WritePendingDump(const std::string& folder, const std::function<bool(int fd, std::string* error)>& fill,
                      PendingDump* pending, std::string* error) {
  int fd = CreateUnnamedFile(folder);
  if (fd < 0) return WriteTempFile(folder, folder, fill, &pending->tempPath, error);
  if (!fill(fd, error)) {
    close(fd);
    return false;
  }
  pending->fd = fd;
  return true;
}

// Names the dump `path` unless that name exists: 0, or errno (EEXIST when taken).
int PublishDump(const PendingDump& pending, const std::string& path) {
  return pending.fd < 0 ? PublishWithoutReplacing(pending.tempPath, path) : LinkUnnamedFile(pending.fd, path);
}

void ReleaseDump(const PendingDump& pending) {
  if (pending.fd >= 0) close(pending.fd);
  else unlink(pending.tempPath.c_str());
}

}  // namespace

bool DumpMessageToFolder(const CNMessageBase& msg, const std::string& folder, std::string* writtenPath,
                         std::string* error) {
  if (!MakeDirectories(folder, error)) return false;
  PendingDump pending;
  unsigned long number = 0;
  auto fill = [&](int fd, std::string* why) { return WriteMessageXmlToFd(msg, fd, folder, why); };
  DumpNumbers& numbers = DumpNumbers::OfProcess();
  if (!numbers.Next(folder, &number, error) || !WritePendingDump(folder, fill, &pending, error)) return false;
  // Another writer may have taken the number: list the folder again once, then count on.
  constexpr int kAttempts = 1000;
  bool listedAgain = false;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string path = JoinPath(folder, DumpFileName(number, msg));
    int result = PublishDump(pending, path);
    if (result == EEXIST) {
      unsigned long listed = 0;
      if (!listedAgain && numbers.Rescan(folder, &listed, nullptr) && listed > number) number = listed;
      else ++number;
      listedAgain = true;
      continue;
    }
    ReleaseDump(pending);
    if (result != 0) return SetError(error, SystemError("cannot write", path, result));
    numbers.Used(folder, number);
    if (writtenPath) *writtenPath = path;
    return true;
  }
  ReleaseDump(pending);
  return SetError(error, "cannot write into '" + folder + "': no free file number");
}

}  // namespace hx
