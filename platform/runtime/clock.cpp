#include "platform/runtime/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

std::atomic<bool> virtual_clock{false};
std::atomic<Milliseconds> virtual_now{0};
std::atomic<std::uint64_t> sleep_calls{0};
std::atomic<std::uint64_t> sleep_total_ms{0};

std::chrono::steady_clock::time_point RealEpoch() {
  static const auto epoch = std::chrono::steady_clock::now();
  return epoch;
}

}  // namespace

Milliseconds NowMs() {
  if (virtual_clock.load()) return virtual_now.load();
  auto elapsed = std::chrono::steady_clock::now() - RealEpoch();
  return static_cast<Milliseconds>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void UseVirtualClock() {
  virtual_now.store(0);
  virtual_clock.store(true);
}

void UseRealClock() { virtual_clock.store(false); }

bool VirtualClockInUse() { return virtual_clock.load(); }

void AdvanceVirtualClock(Milliseconds milliseconds) { virtual_now.fetch_add(milliseconds); }

SleepStats CurrentSleepStats() { return {sleep_calls.load(), sleep_total_ms.load()}; }

void ResetSleepStats() {
  sleep_calls.store(0);
  sleep_total_ms.store(0);
}

}  // namespace platform

void Sleep(DWORD milliseconds) {
  platform::sleep_calls.fetch_add(1);
  platform::sleep_total_ms.fetch_add(milliseconds);
  if (platform::virtual_clock.load()) {
    platform::virtual_now.fetch_add(milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
