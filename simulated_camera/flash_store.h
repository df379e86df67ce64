#pragma once
// What a serial flash keeps through power-off: its array and its status register's non-volatile
// bits (block protect, lock). Optionally backed by files that always hold the same: the array in
// the flash file, the status bits in a state file beside it (the flash file's name + ".state").
// Only changed bytes of the array are written back (one pwrite per changed stretch), so a burn
// costs what it changes.
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

  // Opens `path` and its state file: an existing flash file of the store's size is loaded (true,
  // *loaded set), a missing one is created from the current contents; an existing state file is
  // loaded, a missing one is created from the current status bits. Any other outcome: false with
  // *error.
  bool AttachFile(const std::string& path, bool* loaded, std::string* error);

  std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  std::uint8_t At(std::uint32_t address) const { return bytes_[address % bytes_.size()]; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  // Sets [offset, offset + data.size()) (wrapping at the size) and writes back what changed.
  void Write(std::uint32_t offset, std::span<const std::uint8_t> data);
  void Set(std::uint32_t address, std::uint8_t value) { Write(address, std::span(&value, 1)); }

  // The status register's stored bits, as the flash keeps them; written back when they change.
  std::uint8_t StatusBits() const { return statusBits_; }
  void SetStatusBits(std::uint8_t bits);

 private:
  bool AttachStateFile(const std::string& path, std::string* error);
  void Persist(std::uint32_t begin, std::uint32_t end);
  void PersistStatus();
  std::vector<std::uint8_t> bytes_;
  std::uint8_t statusBits_ = 0;
  int fd_ = -1;
  int stateFd_ = -1;
};

// The name of the state file that goes with a flash file.
std::string FlashStateFileName(const std::string& flashFile);

}  // namespace simcam
