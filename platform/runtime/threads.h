#pragma once
// C runtime threads: _beginthread starts a detached thread running a procedure on one argument;
// _endthread ends the calling thread.
#include <cstddef>
#include <cstdint>

using ThreadProc = void (*)(void*);

// Returns the thread's handle, or (uintptr_t)-1 when no thread could be started.
std::uintptr_t _beginthread(ThreadProc procedure, unsigned stackSize, void* argument);
// Ends the calling thread, which must have been started by _beginthread.
[[noreturn]] void _endthread();

namespace platform {
// Threads started by _beginthread that have not ended yet.
std::size_t RunningThreads();
// Blocks until every thread started by _beginthread has ended (tests and process shutdown).
void WaitForThreads();
// Makes the next _beginthread calls fail, as a runtime out of threads would.
void SetThreadStartFailure(bool fail);
}  // namespace platform
