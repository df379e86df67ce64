#pragma once
// The flash array, optionally backed by a file that always holds the same bytes. Only changed
// bytes are written back (one pwrite per changed stretch), so a burn costs what it changes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace simcam {

class FlashStore {
 public:
  explicit FlashStore(std::uint32_t size) : bytes_(size, 0xFF) {}
  ~FlashStore();
  FlashStore(const FlashStore&) = delete;
  FlashStore& operator=(const FlashStore&) = delete;

  // Opens `path`: an existing file of the store's size is loaded (true, *loaded set); a missing
  // file is created from the current contents. Any other outcome: false with *error.
  bool AttachFile(const std::string& path, bool* loaded, std::string* error);

  std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  std::uint8_t At(std::uint32_t address) const { return bytes_[address % bytes_.size()]; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  // Sets [offset, offset + data.size()) (wrapping at the size) and writes back what changed.
  void Write(std::uint32_t offset, std::span<const std::uint8_t> data);
  void Set(std::uint32_t address, std::uint8_t value) { Write(address, std::span(&value, 1)); }

 private:
  void Persist(std::uint32_t begin, std::uint32_t end);
  std::vector<std::uint8_t> bytes_;
  int fd_ = -1;
};

}  // namespace simcam
