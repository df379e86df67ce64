#include "burner/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

constexpr int kTempNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666;       // before the umask, as any new file
// Read, write and execute for owner, group and others; the set-id and sticky bits of a file the
// tool did not write are not handed on to the image it writes.
constexpr mode_t kPermissionBits = 0777;

// Writing past a file-size limit raises SIGXFSZ, which ends the process by default; ignored, the
// write fails with EFBIG instead and the export reports it.
void IgnoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() { Abandon(); }

bool ReplacingFile::Create() {
  IgnoreFileSizeSignal();
  static unsigned counter = 0;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    std::filesystem::path candidate = target_;
    candidate += ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd_ >= 0) {
      temp_ = candidate;
      break;
    }
    if (errno != EEXIST) return false;
  }
  if (fd_ < 0) return false;
  // A file that is replaced keeps its permission bits.
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
      ::fchmod(fd_, existing.st_mode & kPermissionBits) != 0) {
    Abandon();
    return false;
  }
  return true;
}

bool ReplacingFile::WriteAll(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool ReplacingFile::Commit() {
  const bool synced = ::fsync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed || std::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  temp_.clear();
  return true;
}

void ReplacingFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}
