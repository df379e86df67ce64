#pragma once
// What a failed system call on a video node means to a kernel-streaming caller.
#include "platform/com/hresult.h"

namespace platform::uvc {

enum class ErrnoKind {
  Refused,   // the request failed; the camera is still there
  Gone,      // the camera was unplugged or reset: nothing on this node will work again
  TimedOut,  // the camera did not answer within the kernel's 5 s
};

struct ErrnoStatus {
  HRESULT status;  // always a failure
  ErrnoKind kind;
};

ErrnoStatus StatusFromErrno(int error);

// Win32 errors the kernel-streaming proxy reports for these conditions.
inline constexpr HRESULT HRESULT_FROM_WIN32_BUSY = MakeFailure(0x800700AAu);         // ERROR_BUSY
inline constexpr HRESULT HRESULT_FROM_WIN32_SEM_TIMEOUT = MakeFailure(0x80070079u);  // ERROR_SEM_TIMEOUT

}  // namespace platform::uvc
