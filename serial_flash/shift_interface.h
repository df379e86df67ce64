#pragma once
// The controller's serial-flash shift interface, and the two waits built on it.
#include <cstdint>

constexpr std::uint16_t kRegHostAccess = 0x1080;  // 1 = host drives the flash, 0 = off
constexpr std::uint16_t kRegShiftCommand = 0x1081;
constexpr std::uint16_t kRegShiftOut = 0x1082;    // byte to shift out
constexpr std::uint16_t kRegShiftIn = 0x1083;     // byte shifted in
constexpr std::uint16_t kRegShiftDone = 0x1084;   // reads 1 when the last shift finished
constexpr std::uint16_t kRegChipSelect = 0x1091;  // 0 = flash selected, 1 = released

constexpr std::uint8_t kShiftCommandOut = 1;
constexpr std::uint8_t kShiftCommandIn = 2;
constexpr std::uint8_t kHostAccessOn = 1;
constexpr std::uint8_t kHostAccessOff = 0;
constexpr std::uint8_t kChipSelected = 0;
constexpr std::uint8_t kChipReleased = 1;

constexpr std::uint8_t kFlashReadStatus = 0x05;
constexpr std::uint8_t kFlashStatusBusy = 0x01;  // write or erase in progress

constexpr int kControllerReadyPolls = 1000;  // 1 ms apart
constexpr int kFlashIdlePolls = 10000;       // 1 ms apart
constexpr unsigned kPollPauseMs = 1;

// Polls the shift done flag; returns after the flag reads 1 or after the last poll, untold.
void SFWaitControllerReady(int dev);
// Polls the flash status until its busy bit clears, then releases chip select. Runs out with chip
// select still asserted, untold. Host access must be on and stays as it is.
void SFWaitFlashIdle(int dev);
