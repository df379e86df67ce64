#include "platform/uvc/errno_status.h"

#include <cerrno>

namespace platform::uvc {
namespace {

struct ErrnoRow {
  int error;
  ErrnoStatus meaning;
};

// uvcvideo's own refusals first, then what a stalled or failed USB request turns into.
constexpr ErrnoRow kErrnoTable[] = {
    {ENOENT, {HRESULT_FROM_WIN32_NOT_FOUND, ErrnoKind::Refused}},          // no such unit or selector
    {EBADRQC, {HRESULT_FROM_WIN32_SET_NOT_FOUND, ErrnoKind::Refused}},     // the control lacks GET or SET
    {ENOTTY, {HRESULT_FROM_WIN32_SET_NOT_FOUND, ErrnoKind::Refused}},      // not a node that takes the request
    {ENOBUFS, {HRESULT_FROM_WIN32_INSUFFICIENT_BUFFER, ErrnoKind::Refused}},  // size other than GET_LEN
    {EFAULT, {E_POINTER, ErrnoKind::Refused}},
    {ENOMEM, {E_OUTOFMEMORY, ErrnoKind::Refused}},
    {EACCES, {E_ACCESSDENIED, ErrnoKind::Refused}},
    {EPERM, {E_ACCESSDENIED, ErrnoKind::Refused}},
    {EBUSY, {HRESULT_FROM_WIN32_BUSY, ErrnoKind::Refused}},                // request error code 1: not ready
    {EILSEQ, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},        // 2: wrong state
    {EREMOTE, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},       // 3: power
    {ERANGE, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},        // 4: out of range
    {EIO, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},           // 5 to 7: invalid unit, control, request
    {EINVAL, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},        // 8: invalid value, or a bad query code
    {EPIPE, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},         // stall without an error code
    {EPROTO, {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused}},
    {ETIMEDOUT, {HRESULT_FROM_WIN32_SEM_TIMEOUT, ErrnoKind::TimedOut}},
    {ENODEV, {HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED, ErrnoKind::Gone}},
    {ESHUTDOWN, {HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED, ErrnoKind::Gone}},
    {ENXIO, {HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED, ErrnoKind::Gone}},
};

constexpr ErrnoStatus kUnlisted = {HRESULT_FROM_WIN32_GEN_FAILURE, ErrnoKind::Refused};

}  // namespace

ErrnoStatus StatusFromErrno(int error) {
  for (const ErrnoRow& row : kErrnoTable) {
    if (row.error == error) return row.meaning;
  }
  return kUnlisted;
}

}  // namespace platform::uvc
