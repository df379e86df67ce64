#pragma once
// The controller's serial-flash shift interface (its registers are in camera_protocol.h): the
// byte procedures that every flash command of the library is framed from, and the two waits.
// Results of single register operations are not tested: a failed read leaves the caller's byte
// as it was, and a failed command shows in what the flash answers next.
#include <cstdint>
#include <initializer_list>

constexpr int kControllerReadyPolls = 1000;  // 1 ms apart
constexpr int kFlashIdlePolls = 10000;       // 1 ms apart
constexpr unsigned kPollPauseMs = 1;

// Byte procedures on slot dev.
void SFHostAccess(int dev, bool on);
void SFSelectFlash(int dev);
void SFReleaseFlash(int dev);
// Shifts one byte out to the flash and waits for the done flag.
void SFShiftOut(int dev, std::uint8_t value);
// Shifts one byte in from the flash; *value keeps its content when the register read fails.
void SFShiftIn(int dev, std::uint8_t* value);
// A command frame without reply: select; the bytes, each shifted out; release.
void SFSendFrame(int dev, std::initializer_list<std::uint8_t> bytes);

// Polls the shift done flag; returns after the flag reads 1 or after the last poll, untold.
void SFWaitControllerReady(int dev);
// Polls the flash status until its busy bit clears, then releases chip select. Runs out with chip
// select still asserted, untold. Host access must be on and stays as it is.
void SFWaitFlashIdle(int dev);
