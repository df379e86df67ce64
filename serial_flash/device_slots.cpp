// Device slots: the open that fills the backend table and probes the chip, and the
// device-index operations, each of which refuses a closed slot before it calls the backend.
#include "serial_flash/device_slots.h"

#include "serial_flash/ks_transport.h"
#include "serial_flash/req_to_driver.h"
#include "serial_flash/serial_flash.h"

SFLibraryState g_sfLibrary;

namespace {

constexpr std::uint32_t kDefaultChunk = 8;     // bytes
constexpr std::uint32_t kSingleByteChunk = 1;  // bytes
// Register that asks an unprobed chip for one-byte transfers when it reads 3.
constexpr std::uint16_t kTransferModeRegister = 0x3C5;
constexpr std::uint8_t kTransferModeSingleByte = 3;

constexpr std::uint16_t kProbeAddresses[] = {0x9FF8, 0xD2B2, 0xDFF8, 0xBFF8, 0xC7F8};
constexpr std::uint32_t kProbeLength = 8;  // bytes per probe read

constexpr SFBackendTable kExtensionUnitBackend = {
    .writeRegister = KsWriteRegister,
    .readRegister = KsReadRegister,
    .commandC8 = KsControl3CommandC8,
    .readStatusByte = KsReadControl5Byte,
    .readStatusWord = KsReadControl5Word,
    .command40 = KsControl3Command40,
    .memoryAccess = ReqToDriver,
    .close = KsClose,
    .writeControl2 = KsWriteControl2,
    .readControl2 = KsReadControl2,
    .devicePath = KsGetDevicePath,
};

bool IsOpen(int dev) { return g_sfLibrary.slotOpen[dev] != 0; }

}  // namespace

int SFOpenDevice(int* dev) {
  int opened = KsOpenResult(*dev);
  if (opened == 0) return SF_OPEN_NO_DEVICE;
  if (opened == -1) return SF_OPEN_UNKNOWN_BACKEND;
  if (opened < 1) return SF_OPEN_FAILED;

  *dev = 0;
  g_sfLibrary.backend = kExtensionUnitBackend;
  g_sfLibrary.chunkSize = kDefaultChunk;
  g_sfLibrary.slotOpen[*dev] = 1;
  // The check's result is not needed: a probe that passes has set the chip class.
  SFCheck(g_sfLibrary.checkBuffer[*dev]);
  if (g_sfLibrary.chipClass[*dev] == kChipClassUnprobed) {
    std::uint8_t mode = 0;
    // A failed read leaves the slot open and the camera held.
    if (!g_sfLibrary.backend.readRegister(*dev, kTransferModeRegister, &mode)) return SF_OPEN_FAILED;
    if (mode == kTransferModeSingleByte) g_sfLibrary.chunkSize = kSingleByteChunk;
  }
  return SF_OPEN_OK;
}

bool SFCloseDevice(int dev) {
  if (!IsOpen(dev)) return false;
  // Closed first, so the slot counts as closed even when the transport close fails.
  g_sfLibrary.slotOpen[dev] = 0;
  return g_sfLibrary.backend.close();
}

bool SFMemoryAccess(int dev, std::uint32_t type, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length) {
  if (!IsOpen(dev)) return false;
  return g_sfLibrary.backend.memoryAccess(dev, type, address, buffer, length, g_sfLibrary.chunkSize);
}

bool SFReadStatusByte(int dev, std::uint8_t* mode) {
  if (!IsOpen(dev)) return false;
  return g_sfLibrary.backend.readStatusByte(dev, mode);
}

bool SFReadStatusWord(int dev, std::uint16_t* base) {
  if (!IsOpen(dev)) return false;
  return g_sfLibrary.backend.readStatusWord(dev, base);
}

bool SFProbeChip(int dev, SFMemoryAccessOp access, std::uint8_t* buffer) {
  if (access == nullptr || buffer == nullptr) return false;
  for (std::uint16_t address : kProbeAddresses) {
    std::uint8_t discarded[kProbeLength] = {};
    if (!access(dev, kMemControl4Read, address, discarded, kProbeLength, kDefaultChunk)) return false;
  }
  g_sfLibrary.chipClass[dev] = kChipClassProbed;
  return true;
}

bool SFCheckChip(int dev, std::uint8_t* buffer) {
  if (buffer == nullptr || !IsOpen(dev)) return false;
  return SFProbeChip(dev, g_sfLibrary.backend.memoryAccess, buffer);
}

bool SFWriteRegister(int dev, std::uint16_t reg, std::uint8_t value) {
  if (!IsOpen(dev)) return false;
  return g_sfLibrary.backend.writeRegister(dev, reg, value);
}

bool SFReadRegister(int dev, std::uint16_t reg, std::uint8_t* value) {
  if (!IsOpen(dev)) return false;
  return g_sfLibrary.backend.readRegister(dev, reg, value);
}
