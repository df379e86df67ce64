#pragma once
// The serial flash chip behind the controller: a state machine fed one byte per clocked byte,
// framed by chip select. Programming only clears bits, erase sets 0xFF and both need the
// write-enable latch; block-protect bits refuse them; the status-register write honours the lock
// bit and the write-protect pin; busy time runs on the platform clock. The array and the status
// register's bits 2 to 7 are non-volatile and live in the store; the busy bit and the
// write-enable latch are not. Not thread-safe: the camera model calls it under its own lock.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/runtime/clock.h"
#include "simulated_camera/camera_trace.h"
#include "simulated_camera/flash_profile.h"
#include "simulated_camera/flash_store.h"

namespace simcam {

// Faults of the flash array, set by the camera model.
struct FlashFaults {
  struct Range {
    std::uint32_t address, length;  // flash address before wrapping at the part size
    std::uint8_t bits;
  };
  bool busyStuck = false;
  bool eraseIgnored = false;
  std::vector<Range> eraseKeeps;     // left as they were by a chip erase
  std::vector<Range> programStuck;   // bits that stay 1 when programmed
  std::vector<Range> readFlips;      // bits flipped in firmware reads
};

class SpiFlash {
 public:
  SpiFlash(const FlashProfile& profile, FlashStore& store, const FlashFaults& faults,
           std::function<bool()> writeProtectAsserted);

  // Chip select edges. A release ends the frame and executes a complete command.
  void Select(bool fromFirmware);
  void Release();
  bool Selected() const { return selected_; }
  // One byte clocked while selected: `mosi` is what the host drives, the result what the flash
  // drives back. `receive` marks a clock the host reads (for the trace).
  std::uint8_t Clock(std::uint8_t mosi, bool receive);

  std::uint8_t Status() const;   // as 0x05 reads it, busy bit from the clock
  bool Busy() const;
  void SetStatus(std::uint8_t value);  // bits 2 to 7, raw
  std::uint64_t BusyRemainingMs() const;

  void SetTrace(std::vector<SpiFrame>* trace) { trace_ = trace; }
  const FlashProfile& Profile() const { return profile_; }

 private:
  enum class Command {
    None, ReadStatus, ReadId, Read, Program, WriteStatus, WriteEnable, WriteDisable, EnableWriteStatus,
    ChipErase, Unknown,
  };
  Command Decode(std::uint8_t opcode) const;
  const std::vector<std::uint8_t>* IdAnswer(std::uint8_t opcode, unsigned* skip) const;
  void Execute();
  bool Protected(std::uint32_t address) const;
  void StartBusy(std::uint32_t ms);
  void RecordFrame();

  const FlashProfile& profile_;
  FlashStore& store_;
  const FlashFaults& faults_;
  std::function<bool()> writeProtectAsserted_;
  std::vector<SpiFrame>* trace_ = nullptr;

  bool writeEnable_ = false;
  bool statusWriteArmed_ = false;  // the last frame was 0x50
  platform::Milliseconds busyUntil_ = 0;

  bool selected_ = false;
  bool ignored_ = false;           // the frame started while busy
  Command command_ = Command::None;
  unsigned position_ = 0;          // bytes clocked in this frame, opcode included
  unsigned jedecFrames_ = 0;       // 0x9F frames started so far
  std::uint32_t address_ = 0;
  std::vector<std::uint8_t> data_;
  SpiFrame frame_;
};

}  // namespace simcam
