#include "simulated_camera/flash_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace simcam {
namespace {

// The state file holds one line, "status=0x8C": the status register's stored bits in hex.
constexpr char kStateSuffix[] = ".state";
constexpr char kStatusFormat[] = "status=0x%02X\n";
constexpr std::size_t kStateLineSize = 12;  // bytes, "status=0x8C\n"

std::string StatusLine(std::uint8_t bits) {
  char line[kStateLineSize + 1];
  std::snprintf(line, sizeof line, kStatusFormat, bits);
  return line;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseStatusLine(std::string_view text, std::uint8_t* bits) {
  constexpr std::string_view kPrefix = "status=0x";
  if (text.size() != kStateLineSize || !text.starts_with(kPrefix) || text.back() != '\n') return false;
  const int high = HexDigit(text[kPrefix.size()]);
  const int low = HexDigit(text[kPrefix.size() + 1]);
  if (high < 0 || low < 0) return false;
  *bits = static_cast<std::uint8_t>(high * 16 + low);
  return true;
}

}  // namespace

std::string FlashStateFileName(const std::string& flashFile) { return flashFile + kStateSuffix; }

FlashStore::~FlashStore() {
  if (fd_ >= 0) ::close(fd_);
  if (stateFd_ >= 0) ::close(stateFd_);
}

bool FlashStore::AttachFile(const std::string& path, bool* loaded, std::string* error) {
  *loaded = false;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  if (fd < 0) {
    *error = "flash_file: cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    *error = "flash_file: cannot inspect " + path + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (info.st_size == 0) {
    if (::pwrite(fd, bytes_.data(), bytes_.size(), 0) != static_cast<ssize_t>(bytes_.size())) {
      *error = "flash_file: cannot write " + path + ": " + std::strerror(errno);
      ::close(fd);
      return false;
    }
  } else if (static_cast<std::uint64_t>(info.st_size) != bytes_.size()) {
    *error = "flash_file: " + path + " holds " + std::to_string(info.st_size) + " bytes, the flash " +
             std::to_string(bytes_.size());
    ::close(fd);
    return false;
  } else {
    if (::pread(fd, bytes_.data(), bytes_.size(), 0) != static_cast<ssize_t>(bytes_.size())) {
      *error = "flash_file: cannot read " + path + ": " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    *loaded = true;
  }
  if (!AttachStateFile(FlashStateFileName(path), error)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool FlashStore::AttachStateFile(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  if (fd < 0) {
    *error = "flash_file: cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  char text[kStateLineSize + 2] = {};
  const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
  if (got < 0) {
    *error = "flash_file: cannot read " + path + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (got != 0 && !ParseStatusLine(std::string_view(text, static_cast<std::size_t>(got)), &statusBits_)) {
    *error = "flash_file: " + path + " does not hold one line \"status=0xNN\"";
    ::close(fd);
    return false;
  }
  stateFd_ = fd;
  if (got == 0) PersistStatus();
  return true;
}

void FlashStore::SetStatusBits(std::uint8_t bits) {
  if (bits == statusBits_) return;
  statusBits_ = bits;
  PersistStatus();
}

void FlashStore::PersistStatus() {
  if (stateFd_ < 0) return;
  // The line always has the same length, so it simply overwrites the last one. A failed write
  // leaves the file behind the model, as for the array.
  const std::string line = StatusLine(statusBits_);
  [[maybe_unused]] ssize_t written = ::pwrite(stateFd_, line.data(), line.size(), 0);
}

void FlashStore::Write(std::uint32_t offset, std::span<const std::uint8_t> data) {
  const std::uint32_t size = Size();
  // Track the changed stretch in linear order; a wrap starts a new stretch.
  std::uint32_t changedBegin = 0, changedEnd = 0;
  bool changed = false;
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::uint32_t at = static_cast<std::uint32_t>((offset + i) % size);
    if (changed && at != changedEnd) {
      Persist(changedBegin, changedEnd);
      changed = false;
    }
    if (bytes_[at] == data[i]) continue;
    bytes_[at] = data[i];
    if (!changed) {
      changedBegin = at;
      changed = true;
    }
    changedEnd = at + 1;
  }
  if (changed) Persist(changedBegin, changedEnd);
}

void FlashStore::Persist(std::uint32_t begin, std::uint32_t end) {
  if (fd_ < 0 || end <= begin) return;
  // A failed write leaves the file behind the model; the model itself stays right, and the next
  // change of those bytes writes them again.
  [[maybe_unused]] ssize_t written = ::pwrite(fd_, bytes_.data() + begin, end - begin, begin);
}

}  // namespace simcam
