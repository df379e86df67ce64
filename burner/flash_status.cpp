#include "burner/flash_status.h"

#include <cstdint>

#include "serial_flash/camera_protocol.h"
#include "serial_flash/serial_flash.h"

namespace {

// Host access on, the step, host access off; false when switching it on was refused.
template <class Step>
bool WithHostAccess(Step step) {
  const bool on = SFWriteReg(kRegHostAccess, kHostAccessOn);
  const bool done = step();
  SFWriteReg(kRegHostAccess, kHostAccessOff);
  return on && done;
}

bool StatusSaysIdle() {
  std::uint8_t status = kFlashStatusBusy;
  return SFReadFlashStatus(&status) && (status & kFlashStatusBusy) == 0;
}

}  // namespace

bool FlashSeenIdle() { return WithHostAccess(StatusSaysIdle); }

bool FlashBecomesIdle() {
  return WithHostAccess([] {
    SFWaitIdle();
    return StatusSaysIdle();
  });
}
