#include "simulated_camera/flash_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace simcam {

FlashStore::~FlashStore() {
  if (fd_ >= 0) ::close(fd_);
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
  fd_ = fd;
  return true;
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
