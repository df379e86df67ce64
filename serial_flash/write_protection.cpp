// Write protection. Results of single register operations, waits and flash reads are not
// tested: a failed read counts as 0 and the routine goes on, as every flash transaction does.
#include "serial_flash/write_protection.h"

#include <cstddef>
#include <iterator>

#include "serial_flash/camera_protocol.h"
#include "serial_flash/flash_identification.h"
#include "serial_flash/req_to_driver.h"
#include "serial_flash/shift_interface.h"

namespace {

constexpr SFChipClassRow kPlain = {.commandRegisters = 0, .statusBypass = 0};
constexpr SFChipClassRow kCommandRegisters = {.commandRegisters = 1, .statusBypass = 0};
constexpr SFChipClassRow kCommandRegistersBypass = {.commandRegisters = 1, .statusBypass = 1};

}  // namespace

const SFChipClassRow kSFChipClasses[kChipClassCount] = {
    kPlain,                   // 0: unprobed chip
    kPlain,                   // 1
    kPlain,                   // 2
    kPlain,                   // 3
    kPlain,                   // 4
    kPlain,                   // 5
    kPlain,                   // 6
    kPlain,                   // 7
    kCommandRegisters,        // 8
    kPlain,                   // 9
    kPlain,                   // 10
    kPlain,                   // 11
    kCommandRegisters,        // 12
    kCommandRegisters,        // 13
    kCommandRegisters,        // 14
    kCommandRegisters,        // 15
    kCommandRegisters,        // 16
    kCommandRegisters,        // 17
    kCommandRegistersBypass,  // 18
    kCommandRegistersBypass,  // 19
    kCommandRegistersBypass,  // 20
    kCommandRegistersBypass,  // 21
    kCommandRegistersBypass,  // 22
    kCommandRegistersBypass,  // 23: probed chip
    kCommandRegistersBypass,  // 24
    kCommandRegistersBypass,  // 25
    kCommandRegisters,        // 26
    kCommandRegistersBypass,  // 27
};

std::uint8_t g_sfSaved5F3[kDeviceSlotCount];
std::uint8_t g_sfSaved5F5[kDeviceSlotCount];

namespace {

// Firmware registers and controller bits that protection touches.
constexpr std::uint16_t kRegGpioLevel = 0x1006;
constexpr std::uint16_t kRegGpioOutputEnable = 0x1007;
constexpr std::uint16_t kRegProtectControl = 0x1073;
constexpr std::uint16_t kRegControllerBitsA = 0x17C1;
constexpr std::uint16_t kRegControllerBitsB = 0x17C2;
constexpr std::uint16_t kRegFirmwareWriteEnable = 0x5F3;
constexpr std::uint16_t kRegFirmwareProgram = 0x5F5;
constexpr std::uint16_t kRegFirmwareCommandTail[] = {0x5F8, 0x5F9, 0x5FA, 0x5FB};
constexpr std::uint8_t kFirmwareCommandTailValues[] = {0x12, 0x12, 0xED, 0xED};

// Offsets of the flash pointer's four bytes from the control-5 base, most significant first.
constexpr std::uint16_t kFlashPointerOffsets[] = {0x0F, 0x10, 0x11, 0x12};
// Flash bytes that enable reads and discards.
constexpr std::uint32_t kEnableReadOffsets[] = {0x03, 0x34};

constexpr std::uint8_t kBypassMode = 2;
constexpr int kSfTypeNeedsStatusEnable = 3;

// Configuration byte layout.
constexpr std::uint8_t kCfgSelectorMask = 0x03;
constexpr std::uint8_t kCfgModeMask = 0x0C;
constexpr std::uint8_t kCfgTableCommandMode = 0x08;
constexpr unsigned kCfgPinShift = 4;
constexpr std::uint8_t kCfgPinMask = 0x07;
constexpr std::uint8_t kSelectorNone = 0;
constexpr std::uint8_t kSelectorLow = 1;

// Register helpers on slot dev.
void WriteReg(int dev, std::uint16_t reg, std::uint8_t value) { SFWriteRegister(dev, reg, value); }

std::uint8_t ReadRegOrZero(int dev, std::uint16_t reg) {
  std::uint8_t value = 0;
  SFReadRegister(dev, reg, &value);
  return value;
}

void SetBits(int dev, std::uint16_t reg, std::uint8_t bits) {
  WriteReg(dev, reg, static_cast<std::uint8_t>(ReadRegOrZero(dev, reg) | bits));
}

void WriteGpio(int dev, std::uint16_t gpioReg, std::uint8_t cfg) {
  if (gpioReg != kNoGpioRegister) WriteReg(dev, gpioReg, static_cast<std::uint8_t>(~cfg));
}

void Enable(int dev, bool bypass, std::uint32_t flashPointer, const std::uint16_t* gpioReg, const std::uint8_t* cfg) {
  if (bypass) {
    WriteGpio(dev, *gpioReg, *cfg);
    return;
  }
  for (std::uint32_t offset : kEnableReadOffsets) {
    std::uint8_t discarded = 0;
    SFMemoryAccess(dev, kMemFlashRead, flashPointer + offset, &discarded, 1);
  }
  WriteGpio(dev, *gpioReg, *cfg);
  WriteReg(dev, kRegProtectControl, static_cast<std::uint8_t>(ReadRegOrZero(dev, kRegProtectControl) & ~0x01u));
}

void Disable(int dev, const SFChipClassRow& chipClass, bool bypass, int sfType, std::uint16_t* gpioReg,
             std::uint8_t* cfg) {
  *gpioReg = kNoGpioRegister;
  std::uint8_t c = *cfg;
  unsigned pin = (c >> kCfgPinShift) & kCfgPinMask;
  bool tableCommands = (c & kCfgModeMask) == kCfgTableCommandMode;
  if (tableCommands) {
    // Low bits 2 and 3 become selectors 1 and 2; low bits 0 and 1 leave the byte whole.
    std::uint8_t low = c & kCfgSelectorMask;
    if (low == 2) *cfg = 1;
    else if (low == 3) *cfg = 2;
    else *cfg = c;
  } else {
    *cfg = c & kCfgSelectorMask;
  }

  if (chipClass.commandRegisters != 0) {
    const SFCommandSet& commands = kSFCommandSets[g_sfIdentification.commandSet];
    SFReadRegister(dev, kRegFirmwareWriteEnable, &g_sfSaved5F3[dev]);
    WriteReg(dev, kRegFirmwareWriteEnable, tableCommands ? commands.writeEnable : kFlashOpWriteEnable);
    for (std::size_t i = 0; i < std::size(kRegFirmwareCommandTail); ++i) {
      WriteReg(dev, kRegFirmwareCommandTail[i], kFirmwareCommandTailValues[i]);
    }
    SFReadRegister(dev, kRegFirmwareProgram, &g_sfSaved5F5[dev]);
    std::uint8_t program = tableCommands                        ? commands.program
                           : sfType == kSfTypeNeedsStatusEnable ? kFlashOpProgramAutoIncrement
                                                                : kFlashOpProgram;
    WriteReg(dev, kRegFirmwareProgram, program);
  }

  // The pin step replaces the whole level and output-enable registers.
  std::uint8_t selector = *cfg;
  std::uint8_t mask = static_cast<std::uint8_t>(1u << pin);
  if (selector != kSelectorNone) {
    std::uint8_t level = selector == kSelectorLow ? static_cast<std::uint8_t>(~mask) : mask;
    WriteReg(dev, kRegGpioOutputEnable, mask);
    WriteReg(dev, kRegGpioLevel, level);
    *cfg = level;
    *gpioReg = kRegGpioLevel;
  }
  if (bypass) return;

  SFHostAccess(dev, true);
  SFSendFrame(dev, {kFlashOpWriteEnable});
  SFWaitFlashIdle(dev);
  if (sfType == kSfTypeNeedsStatusEnable) SFSendFrame(dev, {kFlashOpEnableWriteStatus});
  // Status register := 0 clears the flash's protection bits.
  SFSendFrame(dev, {kFlashOpWriteStatus, 0x00});
  SFWaitFlashIdle(dev);
  SFHostAccess(dev, false);

  SetBits(dev, kRegGpioLevel, 0x04);
  SetBits(dev, kRegGpioOutputEnable, 0x04);
  SetBits(dev, kRegControllerBitsA, 0x01);
  SetBits(dev, kRegControllerBitsB, 0x01);
}

}  // namespace

std::uint8_t SFSetWriteProtectDevice(int dev, std::uint8_t enable, std::uint16_t* gpioReg, std::uint8_t* cfg) {
  if (g_sfLibrary.slotOpen[dev] == 0 || gpioReg == nullptr || cfg == nullptr) return 0;
  int sfType = SFGetFlashType(dev);

  std::uint16_t base = 0;
  SFReadStatusWord(dev, &base);
  std::uint32_t flashPointer = 0;
  for (std::uint16_t offset : kFlashPointerOffsets) {
    flashPointer = (flashPointer << 8) | ReadRegOrZero(dev, static_cast<std::uint16_t>(base + offset));
  }
  std::uint8_t mode = 0;
  if (!SFReadStatusByte(dev, &mode)) return 0;

  const SFChipClassRow& chipClass = kSFChipClasses[g_sfLibrary.chipClass[dev]];
  bool bypass = chipClass.statusBypass != 0 && mode == kBypassMode;
  if (enable != 0) Enable(dev, bypass, flashPointer, gpioReg, cfg);
  else Disable(dev, chipClass, bypass, sfType, gpioReg, cfg);
  return 1;
}
