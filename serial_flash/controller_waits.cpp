// The done-flag wait, the flash-idle wait and the single status read. A wait that runs out
// returns like one that succeeded: callers go on and failures show up in the checks that follow.
// A camera that no longer answers must not hold a wait for its whole length, so a few failed
// reads in a row end it as if it had run out; a read that answers "not done" or "busy" always
// counts in full.
#include "platform/runtime/clock.h"
#include "serial_flash/camera_protocol.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/shift_interface.h"

bool SFWaitShiftDone(int dev) {
  std::uint8_t done = 0;  // a failed read leaves it as it was: not done
  int failedInARow = 0;
  for (int poll = 0; poll < kControllerReadyPolls; ++poll) {
    if (SFReadRegister(dev, kRegShiftDone, &done)) {
      failedInARow = 0;
    } else if (++failedInARow == kFailedReadsToGiveUp) {
      return false;
    }
    if (done == 1) return true;
    Sleep(kPollPauseMs);
  }
  return false;
}

void SFWaitControllerReady(int dev) { SFWaitShiftDone(dev); }

void SFWaitFlashIdle(int dev) {
  std::uint8_t status = kFlashStatusBusy;  // a failed read leaves it as it was: busy
  int failedInARow = 0;
  for (int poll = 0; poll < kFlashIdlePolls; ++poll) {
    // Each poll selects and sends the status command again; chip select stays asserted between.
    SFSelectFlash(dev);
    SFShiftOut(dev, kFlashOpReadStatus);
    if (SFShiftIn(dev, &status).read) {
      failedInARow = 0;
    } else if (++failedInARow == kFailedReadsToGiveUp) {
      return;  // as if the polls had run out: chip select stays asserted
    }
    if ((status & kFlashStatusBusy) == 0) {
      SFReleaseFlash(dev);
      return;
    }
    Sleep(kPollPauseMs);
  }
}

bool SFReadFlashStatusDevice(int dev, std::uint8_t* status) {
  std::uint8_t read = 0;
  bool complete = SFSelectFlash(dev);
  complete = SFShiftOut(dev, kFlashOpReadStatus) && complete;
  complete = SFShiftIn(dev, &read).complete && complete;
  complete = SFReleaseFlash(dev) && complete;
  if (!complete) return false;
  *status = read;
  return true;
}
