// Memory access dispatcher: flash writes aligned to the chunk, flash reads with one address
// request per run of chunks (the camera advances the address itself) and the bank switch at the
// end of the lower 64 KB, control-4 reads one request per chunk.
#include "serial_flash/req_to_driver.h"

#include <algorithm>
#include <cstring>

#include "serial_flash/ks_transport.h"

namespace {

constexpr std::uint32_t kMaxPiece = 8;            // bytes one request moves
constexpr std::uint32_t kBankSize = 0x10000;      // bytes in each 64 KB half
constexpr std::uint32_t kLastBlock = 0xFFF8;      // the last eight bytes of a bank
constexpr std::uint32_t kUpperBankAdvance = 8;    // bytes the upper-bank read command steps by

std::uint16_t Low16(std::uint32_t address) { return static_cast<std::uint16_t>(address & 0xFFFF); }

bool WritePiece(int dev, std::uint32_t address, std::uint32_t count, const std::uint8_t* source) {
  return KsFlashWrite(dev, Low16(address), static_cast<std::uint8_t>(count), source);
}

bool FlashWrite(int dev, std::uint32_t address, const std::uint8_t* buffer, std::uint32_t length, std::uint32_t d) {
  if (length == 0) return WritePiece(dev, address, 0, buffer);
  std::uint32_t offset = 0;
  std::uint32_t rest = length;
  if (address % d != 0) {
    std::uint32_t head = d - address % d;
    if (head >= length) return WritePiece(dev, address, length, buffer);
    if (!WritePiece(dev, address, head, buffer)) return false;
    address += head;
    offset += head;
    rest -= head;
  }
  for (std::uint32_t i = 0; i < rest / d; ++i) {
    if (!WritePiece(dev, address, d, buffer + offset)) return false;
    address += d;
    offset += d;
  }
  std::uint32_t r = rest % d;
  return r == 0 || WritePiece(dev, address, r, buffer + offset);
}

// One data read delivering `count` bytes; the camera always answers eight. Bytes of the
// destination that the reply does not replace keep their value.
bool ReadFlashPiece(int dev, std::uint8_t* destination, std::uint32_t count) {
  if (count == kMaxPiece) return KsFlashReadData(dev, destination);
  std::uint8_t piece[kMaxPiece] = {};
  if (!KsFlashReadData(dev, piece)) return false;
  std::memcpy(destination, piece, count);
  return true;
}

// Whether every byte the read would deliver comes from its own address. `t` is the bank-relative
// start, `upper` the bank the read starts in.
bool FlashReadKeepsAddresses(std::uint32_t t, std::uint32_t n, std::uint32_t r, std::uint32_t d, bool upper) {
  if (n > 0) {
    // After an upper-bank address request the camera steps eight bytes per data read.
    if (upper && d < kUpperBankAdvance && n > 1) return false;
    bool meetsLastBlock = t <= kLastBlock && (kLastBlock - t) % d == 0;
    std::uint64_t chunksToLastBlock = meetsLastBlock ? (kLastBlock - t) / d + 1 : 0;
    if (meetsLastBlock && chunksToLastBlock <= n) {
      // A small chunk at 0xFFF8 leaves 0xFFF8 + d to 0xFFFF unread, yet the switch would go on
      // from 0x10000.
      if (!upper && d < kMaxPiece && (n > chunksToLastBlock || r > 0)) return false;
      return true;
    }
    if (static_cast<std::uint64_t>(t) + static_cast<std::uint64_t>(n) * d > kBankSize) return false;
    t += n * d;
  }
  return r == 0 || t + r <= kBankSize;
}

bool FlashRead(int dev, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length, std::uint32_t d) {
  std::uint32_t n = length / d;
  std::uint32_t r = length % d;
  std::uint32_t t = address & 0xFFFF;
  bool upper = g_ksTransport.readBankFlag != 0;
  if (!FlashReadKeepsAddresses(t, n, r, d, upper)) return false;

  std::uint32_t offset = 0;
  if (n > 0) {
    if (!KsFlashSetReadAddress(dev, Low16(t), static_cast<std::uint8_t>(d))) return false;
    for (std::uint32_t left = n; left > 0;) {
      if (!ReadFlashPiece(dev, buffer + offset, d)) return false;
      offset += d;
      --left;
      bool endOfBank = t == kLastBlock;
      t += d;
      if (!endOfBank) continue;
      // The chunk at 0xFFF8 of the upper bank is the last of the flash: nothing lies beyond.
      if (upper) return left == 0 && r == 0;
      g_ksTransport.readBankFlag = 1;
      upper = true;
      t = 0;
      if (left > 0 && !KsFlashSetReadAddress(dev, 0, static_cast<std::uint8_t>(d))) return false;
    }
  }
  if (r == 0 && length != 0) return true;
  // The remainder, or the one request of an empty access.
  if (!KsFlashSetReadAddress(dev, Low16(t), static_cast<std::uint8_t>(r))) return false;
  std::uint8_t piece[kMaxPiece] = {};
  if (!KsFlashReadData(dev, piece)) return false;
  if (r > 0) std::memcpy(buffer + offset, piece, r);
  return true;
}

// One control-4 read of `count` bytes. The private buffer starts from the caller's bytes so that a
// reply announcing fewer bytes leaves the rest as they were.
bool ReadControl4Piece(int dev, std::uint32_t address, std::uint8_t* destination, std::uint32_t count) {
  if (count == kMaxPiece) return KsReadControl4(dev, Low16(address), destination);
  std::uint8_t piece[kMaxPiece] = {};
  if (count > 0) std::memcpy(piece, destination, count);
  if (!KsReadControl4(dev, Low16(address), piece)) return false;
  if (count > 0) std::memcpy(destination, piece, count);
  return true;
}

bool Control4Read(int dev, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length, std::uint32_t d) {
  if (length == 0) return ReadControl4Piece(dev, address, buffer, 0);
  std::uint32_t offset = 0;
  for (std::uint32_t i = 0; i < length / d; ++i) {
    if (!ReadControl4Piece(dev, address, buffer + offset, d)) return false;
    address += d;
    offset += d;
  }
  std::uint32_t r = length % d;
  return r == 0 || ReadControl4Piece(dev, address, buffer + offset, r);
}

}  // namespace

bool ReqToDriver(int dev, std::uint32_t type, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length,
                 std::uint32_t chunk) {
  if (chunk == 0 || (buffer == nullptr && length > 0)) return false;
  std::uint32_t d = std::min(chunk, kMaxPiece);
  switch (type & 0xFF) {
    case kMemFlashWrite: return FlashWrite(dev, address, buffer, length, d);
    case kMemFlashRead: return FlashRead(dev, address, buffer, length, d);
    case kMemControl4Read: return Control4Read(dev, address, buffer, length, d);
    default: return false;
  }
}
