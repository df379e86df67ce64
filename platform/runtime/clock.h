#pragma once
// The one clock behind Sleep and behind every timed behaviour of the simulated hardware. The real
// clock by default; tests switch to a virtual clock that a Sleep advances at once, so a wait of
// ten thousand 1 ms polls takes no real time and can still be counted.
#include <cstdint>

#include "platform/win32/types.h"

void Sleep(DWORD milliseconds);

namespace platform {

using Milliseconds = std::uint64_t;

// Milliseconds since the clock started (real) or since the virtual clock was last reset.
Milliseconds NowMs();

void UseVirtualClock();  // also resets virtual time to 0
void UseRealClock();
bool VirtualClockInUse();
// Moves virtual time on without a Sleep (no effect on the real clock).
void AdvanceVirtualClock(Milliseconds milliseconds);

struct SleepStats {
  std::uint64_t calls = 0;
  std::uint64_t totalMs = 0;
};
SleepStats CurrentSleepStats();
void ResetSleepStats();

}  // namespace platform
