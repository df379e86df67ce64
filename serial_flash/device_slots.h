#pragma once
// Per-device state in 24 slots, the backend table filled at open, and the device-index
// operations behind the entry points. The device index must lie in 0 to 23; it is not checked.
#include <cstdint>

constexpr int kDeviceSlotCount = 24;
constexpr std::uint32_t kCheckBufferSize = 8;  // bytes
constexpr std::int32_t kChipClassUnprobed = 0;
constexpr std::int32_t kChipClassProbed = 23;

// The transport operations the library reaches the camera through, in the order the open fills
// them. Absent (null) until the first successful open.
struct SFBackendTable {
  bool (*writeRegister)(int dev, std::uint16_t reg, std::uint8_t value);
  bool (*readRegister)(int dev, std::uint16_t reg, std::uint8_t* value);
  bool (*commandC8)();
  bool (*readStatusByte)(int dev, std::uint8_t* mode);
  bool (*readStatusWord)(int dev, std::uint16_t* base);
  bool (*command40)(int dev, std::uint8_t byteArg, std::uint16_t wordArg);
  bool (*memoryAccess)(int dev, std::uint32_t type, std::uint32_t address, std::uint8_t* buffer,
                       std::uint32_t length, std::uint32_t chunk);
  bool (*close)();
  bool (*writeControl2)(std::uint8_t id, std::uint8_t flags, const std::uint8_t* source);
  bool (*readControl2)(std::uint8_t id, std::uint8_t flags, std::uint8_t* buffer);
  const char* (*devicePath)();
};

// The memory-access operation that the probe runs on.
using SFMemoryAccessOp = bool (*)(int dev, std::uint32_t type, std::uint32_t address, std::uint8_t* buffer,
                                  std::uint32_t length, std::uint32_t chunk);

struct SFLibraryState {
  std::uint8_t slotOpen[kDeviceSlotCount];
  std::int32_t chipClass[kDeviceSlotCount];  // never cleared: outlives a close
  std::uint8_t checkBuffer[kDeviceSlotCount][kCheckBufferSize];
  std::uint32_t chunkSize;                   // largest piece of one memory-access step
  SFBackendTable backend;
};
extern SFLibraryState g_sfLibrary;

// Open results as the device-index open returns them (the same values as SFOpen).
int SFOpenDevice(int* dev);
bool SFCloseDevice(int dev);
bool SFMemoryAccess(int dev, std::uint32_t type, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length);
bool SFReadStatusByte(int dev, std::uint8_t* mode);
bool SFReadStatusWord(int dev, std::uint16_t* base);
bool SFProbeChip(int dev, SFMemoryAccessOp access, std::uint8_t* buffer);
bool SFCheckChip(int dev, std::uint8_t* buffer);
bool SFWriteRegister(int dev, std::uint16_t reg, std::uint8_t value);
bool SFReadRegister(int dev, std::uint16_t reg, std::uint8_t* value);
