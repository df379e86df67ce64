// The done-flag wait and the flash-idle wait. A wait that runs out returns like one that
// succeeded: callers go on and failures show up in the erase check and the verify.
#include "platform/runtime/clock.h"
#include "serial_flash/camera_protocol.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/shift_interface.h"

void SFWaitControllerReady(int dev) {
  std::uint8_t done = 0;  // a failed read leaves it as it was: not done
  for (int poll = 0; poll < kControllerReadyPolls; ++poll) {
    SFReadRegister(dev, kRegShiftDone, &done);
    if (done == 1) return;
    Sleep(kPollPauseMs);
  }
}

void SFWaitFlashIdle(int dev) {
  std::uint8_t status = kFlashStatusBusy;  // a failed read leaves it as it was: busy
  for (int poll = 0; poll < kFlashIdlePolls; ++poll) {
    // Each poll selects and sends the status command again; chip select stays asserted between.
    SFWriteRegister(dev, kRegChipSelect, kChipSelected);
    SFWriteRegister(dev, kRegShiftOut, kFlashOpReadStatus);
    SFWriteRegister(dev, kRegShiftCommand, kShiftCommandOut);
    SFWaitControllerReady(dev);
    SFWriteRegister(dev, kRegShiftIn, 0);
    SFWriteRegister(dev, kRegShiftCommand, kShiftCommandIn);
    SFWaitControllerReady(dev);
    SFReadRegister(dev, kRegShiftIn, &status);
    if ((status & kFlashStatusBusy) == 0) {
      SFWriteRegister(dev, kRegChipSelect, kChipReleased);
      return;
    }
    Sleep(kPollPauseMs);
  }
}
