#include "platform/runtime/threads.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {
namespace {

std::mutex threads_mutex;
std::condition_variable threads_ended;
std::size_t running_threads = 0;
std::atomic<bool> start_failure{false};
std::atomic<std::uintptr_t> next_handle{1};

// Unwinds the thread's stack from _endthread back to the thread's entry; never leaves the platform.
struct ThreadExit {};

void ThreadEnded() {
  std::lock_guard lock(threads_mutex);
  --running_threads;
  threads_ended.notify_all();
}

}  // namespace

std::size_t RunningThreads() {
  std::lock_guard lock(threads_mutex);
  return running_threads;
}

void WaitForThreads() {
  std::unique_lock lock(threads_mutex);
  threads_ended.wait(lock, [] { return running_threads == 0; });
}

void SetThreadStartFailure(bool fail) { start_failure.store(fail); }

}  // namespace platform

std::uintptr_t _beginthread(ThreadProc procedure, unsigned, void* argument) {
  constexpr auto kFailed = static_cast<std::uintptr_t>(-1);
  if (procedure == nullptr || platform::start_failure.load()) return kFailed;
  {
    std::lock_guard lock(platform::threads_mutex);
    ++platform::running_threads;
  }
  try {
    std::thread([procedure, argument] {
      try {
        procedure(argument);
      } catch (const platform::ThreadExit&) {
      }
      platform::ThreadEnded();
    }).detach();
  } catch (const std::system_error&) {
    platform::ThreadEnded();
    return kFailed;
  }
  return platform::next_handle.fetch_add(1);
}

void _endthread() { throw platform::ThreadExit{}; }
