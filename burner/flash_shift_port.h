#pragma once
// The controller's serial-flash shift port, driven one byte at a time through the library's
// register entry points on slot 0. Results of single register operations are not tested: a
// failed command shows up in what the flash answers, or in the checks that follow.
#include <cstdint>
#include <initializer_list>

namespace burner_detail {

void HostAccess(bool on);
void SelectFlash();
void ReleaseFlash();
// Shifts one byte out. The detection's variant reads the shift-in register back afterwards and
// discards it; the erase's does not.
enum class AfterSend { Nothing, ReadBackShiftIn };
void SendByte(std::uint8_t value, AfterSend after);
// Shifts one byte in; *value is left as it was when the register read fails.
void ReceiveByte(std::uint8_t* value);
// select; the bytes; release.
void SendFrame(std::initializer_list<std::uint8_t> bytes, AfterSend after);

}  // namespace burner_detail
