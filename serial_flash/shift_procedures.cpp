// The byte procedures of the shift interface.
#include "serial_flash/camera_protocol.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/shift_interface.h"

bool SFHostAccess(int dev, bool on) {
  return SFWriteRegister(dev, kRegHostAccess, on ? kHostAccessOn : kHostAccessOff);
}
bool SFSelectFlash(int dev) { return SFWriteRegister(dev, kRegChipSelect, kChipSelected); }
bool SFReleaseFlash(int dev) { return SFWriteRegister(dev, kRegChipSelect, kChipReleased); }

bool SFShiftOut(int dev, std::uint8_t value) {
  bool complete = SFWriteRegister(dev, kRegShiftOut, value);
  complete = SFWriteRegister(dev, kRegShiftCommand, kShiftCommandOut) && complete;
  return SFWaitShiftDone(dev) && complete;
}

SFShiftInResult SFShiftIn(int dev, std::uint8_t* value) {
  bool shifted = SFWriteRegister(dev, kRegShiftIn, 0);
  shifted = SFWriteRegister(dev, kRegShiftCommand, kShiftCommandIn) && shifted;
  shifted = SFWaitShiftDone(dev) && shifted;
  const bool read = SFReadRegister(dev, kRegShiftIn, value);
  return {.read = read, .complete = shifted && read};
}

void SFSendFrame(int dev, std::initializer_list<std::uint8_t> bytes) {
  SFSelectFlash(dev);
  for (std::uint8_t b : bytes) SFShiftOut(dev, b);
  SFReleaseFlash(dev);
}
