#include "simulated_camera/spi_flash.h"

#include <algorithm>
#include <bit>

#include "platform/runtime/clock.h"

namespace simcam {
namespace {

constexpr std::uint8_t kBusyBit = 0x01;
constexpr std::uint8_t kWriteEnableBit = 0x02;
constexpr std::uint8_t kStoredBits = 0xFC;  // the rest of the status byte lives in the register
constexpr unsigned kAddressBytes = 3;
constexpr std::uint32_t kPageSize = 256;  // a page program wraps within its page

enum Opcode : std::uint8_t {
  kWriteStatus = 0x01,
  kWriteDisable = 0x04,
  kReadStatus = 0x05,
  kWriteEnable = 0x06,
  kRead = 0x03,
  kEnableWriteStatus = 0x50,
  kReadIdJedec = 0x9F,
  kReadId15 = 0x15,
  kReadId90 = 0x90,
  kReadIdAB = 0xAB,
  kDataFlashStatus = 0xD7,
};

bool Contains(const std::vector<std::uint8_t>& list, std::uint8_t value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool InRange(const FlashFaults::Range& range, std::uint32_t address, std::uint32_t size) {
  std::uint32_t begin = range.address % size;
  return (address + size - begin) % size < range.length;
}

}  // namespace

SpiFlash::SpiFlash(const FlashProfile& profile, FlashStore& store, const FlashFaults& faults,
                   std::function<bool()> writeProtectAsserted)
    : profile_(profile), store_(store), faults_(faults), writeProtectAsserted_(std::move(writeProtectAsserted)) {}

SpiFlash::Command SpiFlash::Decode(std::uint8_t opcode) const {
  switch (opcode) {
    case kReadStatus:
      return Command::ReadStatus;
    case kReadIdJedec:
    case kReadId15:
    case kReadId90:
    case kReadIdAB:
    case kDataFlashStatus:
      return Command::ReadId;
    case kRead:
      return Command::Read;
    case kWriteStatus:
      return Command::WriteStatus;
    case kWriteEnable:
      return Command::WriteEnable;
    case kWriteDisable:
      return Command::WriteDisable;
    case kEnableWriteStatus:
      return profile_.needsEwsr ? Command::EnableWriteStatus : Command::Unknown;
    default:
      break;
  }
  if (Contains(profile_.eraseOpcodes, opcode)) return Command::ChipErase;
  if (Contains(profile_.programOpcodes, opcode)) return Command::Program;
  return Command::Unknown;
}

const std::vector<std::uint8_t>* SpiFlash::IdAnswer(std::uint8_t opcode, unsigned* skip) const {
  *skip = 0;
  switch (opcode) {
    case kReadIdJedec:
      return jedecFrames_ > 1 && !profile_.jedecIdAgain.empty() ? &profile_.jedecIdAgain : &profile_.jedecId;
    case kReadId15:
      return &profile_.id15;
    case kReadId90:
      *skip = kAddressBytes;
      return &profile_.id90;
    case kReadIdAB:
      *skip = kAddressBytes;
      return &profile_.idAB;
    case kDataFlashStatus:
      return &profile_.statusD7;
    default:
      return nullptr;
  }
}

void SpiFlash::Select(bool fromFirmware) {
  if (selected_) return;  // no edge: the frame goes on
  selected_ = true;
  ignored_ = false;
  command_ = Command::None;
  position_ = 0;
  address_ = 0;
  data_.clear();
  frame_ = SpiFrame{};
  frame_.fromFirmware = fromFirmware;
}

std::uint8_t SpiFlash::Clock(std::uint8_t mosi, bool receive) {
  if (!selected_) return profile_.idleByte;
  std::uint8_t miso = profile_.idleByte;
  const unsigned at = position_++;
  if (at == 0) {
    frame_.opcode = mosi;
    if (mosi == kReadIdJedec) ++jedecFrames_;
    command_ = Decode(mosi);
    // While busy the part answers only its status reads.
    ignored_ = Busy() && command_ != Command::ReadStatus && mosi != kDataFlashStatus;
  } else if (!ignored_) {
    switch (command_) {
      case Command::ReadStatus:
        miso = Status();
        break;
      case Command::ReadId: {
        unsigned skip = 0;
        const std::vector<std::uint8_t>* answer = IdAnswer(frame_.opcode, &skip);
        if (answer != nullptr && !answer->empty() && at > skip) miso = (*answer)[(at - 1 - skip) % answer->size()];
        break;
      }
      case Command::Read:
        if (at <= kAddressBytes) {
          address_ = (address_ << 8) | mosi;
        } else {
          std::uint32_t a = (address_ + (at - 1 - kAddressBytes)) % store_.Size();
          miso = store_.At(a);
          for (const auto& flip : faults_.readFlips) {
            if (InRange(flip, a, store_.Size())) miso ^= flip.bits;
          }
        }
        break;
      case Command::Program:
        if (at <= kAddressBytes) {
          address_ = (address_ << 8) | mosi;
        } else {
          data_.push_back(mosi);
        }
        break;
      case Command::WriteStatus:
        data_.push_back(mosi);
        break;
      case Command::None:
      case Command::WriteEnable:
      case Command::WriteDisable:
      case Command::EnableWriteStatus:
      case Command::ChipErase:
      case Command::Unknown:
        break;
    }
  }
  // The frame's bytes are kept only for the trace; without one nothing is recorded.
  if (at > 0 && trace_ != nullptr) (receive ? frame_.out : frame_.in).push_back(receive ? miso : mosi);
  return miso;
}

void SpiFlash::Release() {
  if (!selected_) return;
  selected_ = false;
  const bool wasArmed = statusWriteArmed_;
  statusWriteArmed_ = false;
  if (position_ > 0 && !ignored_) {
    // Commands without data must end right after the opcode; longer frames are dropped.
    const bool bare = position_ == 1;
    switch (command_) {
      case Command::ReadStatus:
      case Command::ReadId:
      case Command::Read:
        frame_.executed = true;
        break;
      case Command::WriteEnable:
        if (bare) writeEnable_ = frame_.executed = true;
        break;
      case Command::WriteDisable:
        if (bare) {
          writeEnable_ = false;
          frame_.executed = true;
        }
        break;
      case Command::EnableWriteStatus:
        if (bare) statusWriteArmed_ = frame_.executed = true;
        break;
      case Command::WriteStatus: {
        if (data_.empty()) break;
        const bool enabled = profile_.needsEwsr ? wasArmed : (writeEnable_ || !profile_.needsWriteEnable);
        const bool locked = (store_.StatusBits() & profile_.lockBit) != 0 && writeProtectAsserted_();
        writeEnable_ = false;
        if (!enabled || locked) break;
        const std::uint8_t writable = profile_.protectBits | profile_.lockBit;
        store_.SetStatusBits(static_cast<std::uint8_t>((store_.StatusBits() & ~writable) | (data_[0] & writable)));
        frame_.executed = true;
        break;
      }
      case Command::ChipErase: {
        if (!bare) break;
        const bool enabled = writeEnable_ || !profile_.needsWriteEnable;
        writeEnable_ = false;
        if (!enabled || (store_.StatusBits() & profile_.protectBits) != 0) break;
        frame_.executed = true;
        StartBusy(profile_.eraseMs);
        if (faults_.eraseIgnored) break;
        std::vector<std::uint8_t> erased(store_.Size(), 0xFF);
        for (std::uint32_t a = 0; a < store_.Size(); ++a) {
          for (const auto& keep : faults_.eraseKeeps) {
            if (InRange(keep, a, store_.Size())) erased[a] = store_.At(a);
          }
        }
        store_.Write(0, erased);
        break;
      }
      case Command::Program: {
        if (position_ <= 1 + kAddressBytes || data_.empty()) break;
        const bool enabled = writeEnable_ || !profile_.needsWriteEnable;
        writeEnable_ = false;
        if (!enabled) break;
        const std::uint32_t start = address_ % store_.Size();
        const std::uint32_t page = start & ~(kPageSize - 1);
        const std::size_t count = std::min<std::size_t>(data_.size(), kPageSize);
        for (std::size_t i = 0; i < count; ++i) {
          if (Protected(page | ((start + i) & (kPageSize - 1)))) return RecordFrame();
        }
        for (std::size_t i = 0; i < count; ++i) {
          // A page program keeps only the last 256 bytes it was given.
          std::uint8_t value = data_[data_.size() - count + i];
          std::uint32_t a = page | ((start + i) & (kPageSize - 1));
          for (const auto& stuck : faults_.programStuck) {
            if (InRange(stuck, a, store_.Size())) value |= stuck.bits;
          }
          store_.Set(a, store_.At(a) & value);
        }
        frame_.executed = true;
        StartBusy(profile_.programMs);
        break;
      }
      case Command::None:
      case Command::Unknown:
        break;
    }
  }
  RecordFrame();
}

void SpiFlash::RecordFrame() {
  if (trace_ != nullptr && position_ > 0) trace_->push_back(std::move(frame_));
  frame_ = SpiFrame{};
}

bool SpiFlash::Protected(std::uint32_t address) const {
  if (profile_.protectBits == 0) return false;
  const unsigned shift = static_cast<unsigned>(std::countr_zero(profile_.protectBits));
  const unsigned level = (store_.StatusBits() & profile_.protectBits) >> shift;
  const unsigned top = profile_.protectBits >> shift;
  if (level == 0) return false;
  if (level >= top) return true;
  // Each level doubles the protected area at the top of the part.
  const unsigned halvings = std::min(top - level, 16u);
  const std::uint32_t protectedSize = store_.Size() >> halvings;
  return address >= store_.Size() - protectedSize;
}

void SpiFlash::StartBusy(std::uint32_t ms) { busyUntil_ = platform::NowMs() + ms; }

bool SpiFlash::Busy() const { return faults_.busyStuck || platform::NowMs() < busyUntil_; }

std::uint64_t SpiFlash::BusyRemainingMs() const {
  std::uint64_t now = platform::NowMs();
  return busyUntil_ > now ? busyUntil_ - now : 0;
}

std::uint8_t SpiFlash::Status() const {
  return static_cast<std::uint8_t>((store_.StatusBits() & kStoredBits) | (writeEnable_ ? kWriteEnableBit : 0) |
                                   (Busy() ? kBusyBit : 0));
}

void SpiFlash::SetStatus(std::uint8_t value) { store_.SetStatusBits(value & kStoredBits); }

}  // namespace simcam
