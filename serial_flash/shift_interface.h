#pragma once
// The two waits built on the controller's serial-flash shift interface (its registers are in
// camera_protocol.h).
#include <cstdint>

constexpr int kControllerReadyPolls = 1000;  // 1 ms apart
constexpr int kFlashIdlePolls = 10000;       // 1 ms apart
constexpr unsigned kPollPauseMs = 1;

// Polls the shift done flag; returns after the flag reads 1 or after the last poll, untold.
void SFWaitControllerReady(int dev);
// Polls the flash status until its busy bit clears, then releases chip select. Runs out with chip
// select still asserted, untold. Host access must be on and stays as it is.
void SFWaitFlashIdle(int dev);
