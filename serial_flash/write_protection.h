#pragma once
// Write protection of the serial flash: the write-protect pin that the configuration byte names,
// the firmware's serial-flash command registers and the flash's status register.
#include <cstdint>

#include "serial_flash/device_slots.h"

struct SFChipClassRow {
  std::uint8_t commandRegisters;  // disable programs the firmware's command registers 0x5F3-0x5FB
  std::uint8_t statusBypass;      // with mode 2, skip the status-register write and controller bits
};
constexpr int kChipClassCount = 28;
extern const SFChipClassRow kSFChipClasses[kChipClassCount];

// GPIO register variable value that names no pin register.
constexpr std::uint16_t kNoGpioRegister = 0xFFFF;

// Values of registers 0x5F3 and 0x5F5 just before the last disable of each slot overwrote them.
// Nothing writes them back.
extern std::uint8_t g_sfSaved5F3[kDeviceSlotCount];
extern std::uint8_t g_sfSaved5F5[kDeviceSlotCount];

// enable 0 lifts protection, nonzero restores it. 1 = done; 0 = slot not open, the control-5
// mode read failed, or a variable is missing (then neither variable changes).
std::uint8_t SFSetWriteProtectDevice(int dev, std::uint8_t enable, std::uint16_t* gpioReg, std::uint8_t* cfg);
