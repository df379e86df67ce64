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
    SFSelectFlash(dev);
    SFShiftOut(dev, kFlashOpReadStatus);
    SFShiftIn(dev, &status);
    if ((status & kFlashStatusBusy) == 0) {
      SFReleaseFlash(dev);
      return;
    }
    Sleep(kPollPauseMs);
  }
}
