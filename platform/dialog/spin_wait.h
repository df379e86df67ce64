#pragma once
// A short busy wait for handing work between two threads that are both awake: a thread that expects
// its partner to answer within microseconds spins that long before it blocks, and so saves a sleep
// and a wakeup, which cost more CPU than the wait itself.
#include <chrono>

namespace platform::dialog {

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

// Spins until ready() holds or `limit` has passed; true when it holds.
template <class Ready>
bool SpinFor(std::chrono::microseconds limit, Ready ready) {
  constexpr unsigned kChecksPerClockRead = 32;  // the clock costs more than a check
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (unsigned i = 1;; ++i) {
    if (ready()) return true;
    if (i % kChecksPerClockRead == 0 && std::chrono::steady_clock::now() >= deadline) return false;
    CpuRelax();
  }
}

}  // namespace platform::dialog
