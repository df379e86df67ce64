#include "burner/flash_shift_port.h"

#include "serial_flash/serial_flash.h"

namespace burner_detail {

namespace {
constexpr std::uint8_t kShiftOut = 1;
constexpr std::uint8_t kShiftIn = 2;
}  // namespace

void HostAccess(bool on) { SFWriteReg(kRegHostAccess, on ? 1 : 0); }
void SelectFlash() { SFWriteReg(kRegChipSelect, 0); }
void ReleaseFlash() { SFWriteReg(kRegChipSelect, 1); }

void SendByte(std::uint8_t value, AfterSend after) {
  SFWriteReg(kRegShiftOut, value);
  SFWriteReg(kRegShiftCommand, kShiftOut);
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
  SFWriteReg(kRegShiftCommand, kShiftIn);
  SFWaitReady();
  SFReadReg(kRegShiftIn, value);
}

void SendFrame(std::initializer_list<std::uint8_t> bytes, AfterSend after) {
  SelectFlash();
  for (std::uint8_t b : bytes) SendByte(b, after);
  ReleaseFlash();
}

}  // namespace burner_detail
