// The entry points: each acts on device slot 0.
#include "serial_flash/device_slots.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/serial_flash.h"
#include "serial_flash/shift_interface.h"
#include "serial_flash/write_protection.h"

namespace {
constexpr int kBurnerSlot = 0;
}  // namespace

int SFOpen() {
  // Every open starts both banks low, whatever its outcome.
  g_ksTransport.writeBankFlag = 0;
  g_ksTransport.readBankFlag = 0;
  int dev = kBurnerSlot;
  return SFOpenDevice(&dev);
}

bool SFClose() { return SFCloseDevice(kBurnerSlot); }

bool SFWriteReg(std::uint16_t reg, std::uint8_t value) { return SFWriteRegister(kBurnerSlot, reg, value); }

bool SFReadReg(std::uint16_t reg, std::uint8_t* value) { return SFReadRegister(kBurnerSlot, reg, value); }

void SFWaitReady() { SFWaitControllerReady(kBurnerSlot); }

void SFWaitIdle() { SFWaitFlashIdle(kBurnerSlot); }

bool SFReadFlashStatus(std::uint8_t* status) { return SFReadFlashStatusDevice(kBurnerSlot, status); }

bool SFMemAccess(std::uint32_t type, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length) {
  return SFMemoryAccess(kBurnerSlot, type, address, buffer, length);
}

bool SFSetWriteProtect(std::uint8_t enable, std::uint16_t* gpioReg, std::uint8_t* cfg) {
  return SFSetWriteProtectDevice(kBurnerSlot, enable, gpioReg, cfg) != 0;
}

bool SFCheck(std::uint8_t* buffer) { return SFCheckChip(kBurnerSlot, buffer); }
