#pragma once
// The controller's serial-flash shift interface (its registers are in camera_protocol.h): the
// byte procedures that every flash command of the library is framed from, and the two waits.
// Most callers do not test the results of single register operations: a failed read leaves the
// caller's byte as it was, and a failed command shows in what the flash answers next. The
// procedures still tell what went through, for the status read that must know.
#include <cstdint>
#include <initializer_list>

constexpr int kControllerReadyPolls = 1000;  // 1 ms apart
constexpr int kFlashIdlePolls = 10000;       // 1 ms apart
constexpr unsigned kPollPauseMs = 1;
// Failed reads in a row (done-flag wait), or polls in a row whose status read failed (flash-idle
// wait), that end a wait as if it had run out: the camera no longer answers.
constexpr int kFailedReadsToGiveUp = 3;

// Byte procedures on slot dev; true when the register write went through.
bool SFHostAccess(int dev, bool on);
bool SFSelectFlash(int dev);
bool SFReleaseFlash(int dev);
// Shifts one byte out to the flash and waits for the done flag; true when both writes went
// through and the flag was seen.
bool SFShiftOut(int dev, std::uint8_t value);
// Shifts one byte in from the flash; *value keeps its content when the register read fails.
struct SFShiftInResult {
  bool read;      // *value was read from the shift-in register
  bool complete;  // and the writes before went through, with the done flag seen
};
SFShiftInResult SFShiftIn(int dev, std::uint8_t* value);
// A command frame without reply: select; the bytes, each shifted out; release.
void SFSendFrame(int dev, std::initializer_list<std::uint8_t> bytes);

// Polls the shift done flag; returns after the flag reads 1 or after the last poll, untold.
// Three failed reads in a row end it as if it had run out.
void SFWaitControllerReady(int dev);
// The same wait, telling whether the flag was seen at 1.
bool SFWaitShiftDone(int dev);
// Polls the flash status until its busy bit clears, then releases chip select. Runs out with chip
// select still asserted, untold; three polls in a row whose status read failed end it the same
// way. Host access must be on and stays as it is.
void SFWaitFlashIdle(int dev);
// One status frame as a poll of the flash-idle wait sends it, then release. True, with *status
// set, only when every request of the frame succeeded and both shifts were seen done; *status is
// untouched otherwise. Host access must be on and stays as it is.
bool SFReadFlashStatusDevice(int dev, std::uint8_t* status);
