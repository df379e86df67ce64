// Flash identification through the shift interface of slot 0.
#include "serial_flash/flash_identification.h"

#include "serial_flash/camera_protocol.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/shift_interface.h"

const SFFlashIdRow kSFFlashIdTable[14] = {
    // Row 0: no match.
    {.manufacturer = 0x00, .id1 = 0x00, .id2 = 0x00, .sfType = 0, .commandSet = 0, .known = 0},
    // 0xC2
    {.manufacturer = 0xC2, .id1 = 0x20, .id2 = 0x11, .sfType = 1, .commandSet = 1, .known = 1},
    {.manufacturer = 0xC2, .id1 = 0x22, .id2 = 0x11, .sfType = 1, .commandSet = 1, .known = 1},
    {.manufacturer = 0xC2, .id1 = 0x20, .id2 = 0x10, .sfType = 1, .commandSet = 1, .known = 1},
    {.manufacturer = 0xC2, .id1 = 0x22, .id2 = 0x10, .sfType = 1, .commandSet = 1, .known = 1},
    // 0x1F
    {.manufacturer = 0x1F, .id1 = 0x65, .id2 = 0x01, .sfType = 4, .commandSet = 2, .known = 1},
    // 0x9D, any second device byte
    {.manufacturer = 0x9D, .id1 = 0x20, .id2 = kAnyDeviceByte, .sfType = 8, .commandSet = 3, .known = 1},
    {.manufacturer = 0x9D, .id1 = 0x7B, .id2 = kAnyDeviceByte, .sfType = 8, .commandSet = 3, .known = 1},
    // 0xBF, any second device byte
    {.manufacturer = 0xBF, .id1 = 0x48, .id2 = kAnyDeviceByte, .sfType = 3, .commandSet = 4, .known = 1},
    // Others
    {.manufacturer = 0x8C, .id1 = 0x30, .id2 = 0x10, .sfType = 12, .commandSet = 1, .known = 1},
    {.manufacturer = 0xC8, .id1 = 0x40, .id2 = 0x10, .sfType = 13, .commandSet = 1, .known = 1},
    {.manufacturer = 0xEF, .id1 = 0x30, .id2 = 0x10, .sfType = 7, .commandSet = 1, .known = 1},
    {.manufacturer = 0x37, .id1 = 0x30, .id2 = 0x10, .sfType = 10, .commandSet = 5, .known = 1},
    {.manufacturer = 0xA1, .id1 = 0x31, .id2 = 0x10, .sfType = 14, .commandSet = 1, .known = 1},
};

const SFCommandSet kSFCommandSets[6] = {
    // Set 0 belongs to an unidentified chip; its bytes are no usable command set.
    {.read = 0x03, .writeEnable = 0x04, .program = 0x03, .writeStatus = 0x05, .chipErase = 0x03, .sectorErase = 0x03, .writeDisable = 0x04},
    {.read = 0x03, .writeEnable = 0x06, .program = 0x02, .writeStatus = 0x01, .chipErase = 0x60, .sectorErase = 0x20, .writeDisable = 0x04},
    {.read = 0x03, .writeEnable = 0x06, .program = 0x02, .writeStatus = 0x01, .chipErase = 0x60, .sectorErase = 0x20, .writeDisable = 0x04},
    {.read = 0x03, .writeEnable = 0x06, .program = 0x02, .writeStatus = 0x01, .chipErase = 0xC7, .sectorErase = 0xD7, .writeDisable = 0x04},
    {.read = 0x03, .writeEnable = 0x06, .program = 0xAF, .writeStatus = 0x01, .chipErase = 0x60, .sectorErase = 0x20, .writeDisable = 0x04},
    {.read = 0x03, .writeEnable = 0x06, .program = 0x02, .writeStatus = 0x01, .chipErase = 0xC7, .sectorErase = 0x20, .writeDisable = 0x04},
};

SFIdentificationState g_sfIdentification;

namespace {

constexpr std::uint8_t kTwoDeviceBytes = 2;
// Identification runs on slot 0, the slot of the entry points, whatever slot asked for it.
constexpr int kIdentificationSlot = 0;

struct IdStep {
  std::uint8_t command;
  std::uint8_t dummyBytes;
  std::uint8_t deviceBytes;
};
constexpr IdStep kIdSteps[] = {
    {.command = kFlashOpReadId, .dummyBytes = 0, .deviceBytes = 2},
    {.command = kFlashOpAtmelId, .dummyBytes = 0, .deviceBytes = 1},
    {.command = kFlashOpManufacturerId, .dummyBytes = 3, .deviceBytes = 1},
    {.command = kFlashOpElectronicSignature, .dummyBytes = 3, .deviceBytes = 1},
};

bool DeviceByteMatches(std::uint8_t column, std::uint8_t value) {
  return column == kAnyDeviceByte || column == value;
}

}  // namespace

std::uint8_t SFFlashIdTableSize() { return static_cast<std::uint8_t>(sizeof kSFFlashIdTable / sizeof kSFFlashIdTable[0]); }

void SFReadFlashId(std::uint8_t command, std::uint8_t dummyBytes, std::uint8_t deviceBytes) {
  SFIdentificationState& id = g_sfIdentification;
  constexpr int dev = kIdentificationSlot;
  SFHostAccess(dev, true);
  SFSelectFlash(dev);
  SFShiftOut(dev, command);
  for (std::uint8_t i = 0; i < dummyBytes; ++i) SFShiftOut(dev, 0x00);
  SFShiftIn(dev, &id.manufacturer);
  // One continuation code is skipped; a second one stays as the manufacturer byte.
  if (id.manufacturer == kJedecContinuation) SFShiftIn(dev, &id.manufacturer);
  SFShiftIn(dev, &id.id1);
  if (deviceBytes == kTwoDeviceBytes) SFShiftIn(dev, &id.id2);
  else id.id2 = kAnyDeviceByte;
  SFReleaseFlash(dev);
  SFHostAccess(dev, false);
}

std::uint8_t SFLookupFlashId() {
  SFIdentificationState& id = g_sfIdentification;
  std::uint8_t row = 0;
  for (std::uint8_t i = 1; i < SFFlashIdTableSize(); ++i) {
    const SFFlashIdRow& known = kSFFlashIdTable[i];
    if (known.manufacturer == id.manufacturer && DeviceByteMatches(known.id1, id.id1) &&
        DeviceByteMatches(known.id2, id.id2)) {
      row = i;
      break;
    }
  }
  id.matchedRow = row;
  id.commandSet = kSFFlashIdTable[row].commandSet;
  id.sfType = kSFFlashIdTable[row].sfType;
  return id.sfType;
}

std::uint8_t SFIdentifyFlash() {
  std::uint8_t sfType = 0;
  for (const IdStep& step : kIdSteps) {
    SFReadFlashId(step.command, step.dummyBytes, step.deviceBytes);
    sfType = SFLookupFlashId();
    if (sfType != 0) break;
  }
  return sfType;
}

int SFGetFlashType(int dev) {
  if (g_sfLibrary.slotOpen[dev] == 0) return -1;
  SFIdentifyFlash();
  return static_cast<int>(g_sfIdentification.sfType);
}
