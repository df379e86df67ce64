#include "burner/flash_shift_port.h"

#include "serial_flash/camera_protocol.h"
#include "serial_flash/serial_flash.h"

namespace burner_detail {

void HostAccess(bool on) { SFWriteReg(kRegHostAccess, on ? kHostAccessOn : kHostAccessOff); }
void SelectFlash() { SFWriteReg(kRegChipSelect, kChipSelected); }
void ReleaseFlash() { SFWriteReg(kRegChipSelect, kChipReleased); }

void SendByte(std::uint8_t value, AfterSend after) {
  SFWriteReg(kRegShiftOut, value);
  SFWriteReg(kRegShiftCommand, kShiftCommandOut);
  SFWaitReady();
  switch (after) {
    case AfterSend::Nothing:
      break;
    case AfterSend::ReadBackShiftIn: {
      std::uint8_t discarded = 0;
      SFReadReg(kRegShiftIn, &discarded);
      break;
    }
  }
}

void ReceiveByte(std::uint8_t* value) {
  SFWriteReg(kRegShiftIn, 0);
  SFWriteReg(kRegShiftCommand, kShiftCommandIn);
  SFWaitReady();
  SFReadReg(kRegShiftIn, value);
}

void SendFrame(std::initializer_list<std::uint8_t> bytes, AfterSend after) {
  SelectFlash();
  for (std::uint8_t b : bytes) SendByte(b, after);
  ReleaseFlash();
}

}  // namespace burner_detail
