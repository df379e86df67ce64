// The byte procedures of the shift interface.
#include "serial_flash/camera_protocol.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/shift_interface.h"

void SFHostAccess(int dev, bool on) { SFWriteRegister(dev, kRegHostAccess, on ? kHostAccessOn : kHostAccessOff); }
void SFSelectFlash(int dev) { SFWriteRegister(dev, kRegChipSelect, kChipSelected); }
void SFReleaseFlash(int dev) { SFWriteRegister(dev, kRegChipSelect, kChipReleased); }

void SFShiftOut(int dev, std::uint8_t value) {
  SFWriteRegister(dev, kRegShiftOut, value);
  SFWriteRegister(dev, kRegShiftCommand, kShiftCommandOut);
  SFWaitControllerReady(dev);
}

void SFShiftIn(int dev, std::uint8_t* value) {
  SFWriteRegister(dev, kRegShiftIn, 0);
  SFWriteRegister(dev, kRegShiftCommand, kShiftCommandIn);
  SFWaitControllerReady(dev);
  SFReadRegister(dev, kRegShiftIn, value);
}

void SFSendFrame(int dev, std::initializer_list<std::uint8_t> bytes) {
  SFSelectFlash(dev);
  for (std::uint8_t b : bytes) SFShiftOut(dev, b);
  SFReleaseFlash(dev);
}
