#include "burner/write_protect_control.h"

#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "serial_flash/serial_flash.h"

namespace {

struct ConfigAddressRow {
  std::uint8_t chipId;
  std::uint16_t address;  // flash address of the write-protect configuration byte
};

constexpr ConfigAddressRow kConfigAddresses[] = {
    {.chipId = 0x33, .address = 0x000F},
    {.chipId = 0x32, .address = 0xC034},
    {.chipId = 0x75, .address = 0xC034},
    {.chipId = 0x76, .address = 0xC034},
    {.chipId = 0x16, .address = 0x5834},
};
constexpr std::uint16_t kDefaultConfigAddress = 0x8034;

constexpr std::uint16_t kGpioUntouched = 0xFFFF;  // fresh GPIO register variable of every change
constexpr std::uint8_t kProtectOff = 0;
constexpr std::uint8_t kProtectOn = 1;

const wchar_t* OpenFailureText(int openResult) {
  switch (openResult) {
    case SF_OPEN_NO_DEVICE: return L"No Device!";
    case SF_OPEN_UNKNOWN_BACKEND: return L"Unknown Backend!";
    default: return L"Camera init failed!";
  }
}

int ChangeFlashWriteProtect(BurnerDialogContext& dlg, std::uint8_t enable) {
  std::uint8_t config = 0;
  std::uint16_t gpio = kGpioUntouched;
  // A failed open leaves the library as it was, so nothing is closed here.
  if (const int opened = SFOpen(); opened <= 0) {
    dlg.ShowMessage(OpenFailureText(opened));
    return 0;
  }
  std::uint8_t chipId = 0;
  if (GetChipIDValue(dlg, &chipId) == 0) {
    dlg.ShowMessage(L"GetChipIDValue Failed!");
    SFClose();
    return 0;
  }
  g_chipId = chipId;
  // Not tested: a failed read leaves 0, and the library's routine copes with that. SFOpen has
  // just cleared the library's bank flags, so the read reaches the lower 64 KB.
  SFMemAccess(SF_MEM_FLASH_READ, WriteProtectConfigAddress(chipId), &config, 1);
  // The library stays open: the chip erase that follows uses the same slot.
  return SFSetWriteProtect(enable, &gpio, &config) ? 1 : 0;
}

}  // namespace

std::uint16_t WriteProtectConfigAddress(std::uint8_t chipId) {
  for (const ConfigAddressRow& row : kConfigAddresses) {
    if (row.chipId == chipId) return row.address;
  }
  return kDefaultConfigAddress;
}

int DisableFlashWriteProtect(BurnerDialogContext& dlg) { return ChangeFlashWriteProtect(dlg, kProtectOff); }
int EnableFlashWriteProtect(BurnerDialogContext& dlg) { return ChangeFlashWriteProtect(dlg, kProtectOn); }
