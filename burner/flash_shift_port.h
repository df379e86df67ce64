#pragma once
// The controller's serial-flash shift port, driven one byte at a time through the library's
// register entry points on slot 0. Results of single register operations are not tested: a
// failed command shows up in what the flash answers, or in the checks that follow.
#include <cstdint>
#include <initializer_list>

namespace burner_detail {

// Shift-port registers.
constexpr std::uint16_t kRegHostAccess = 0x1080;  // 1 = host drives the flash, 0 = controller
constexpr std::uint16_t kRegShiftCommand = 0x1081;
constexpr std::uint16_t kRegShiftOut = 0x1082;
constexpr std::uint16_t kRegShiftIn = 0x1083;
constexpr std::uint16_t kRegChipSelect = 0x1091;  // 0 = selected, 1 = released

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
