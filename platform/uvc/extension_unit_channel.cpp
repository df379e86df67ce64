#include "platform/uvc/extension_unit_channel.h"

#include <linux/usb/video.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/uvc/errno_status.h"

namespace platform::uvc {
namespace {

// A camera that lets this many requests in a row run into the kernel's 5 s timeout is taken as
// hung: a burn would otherwise wait hours on its thousands of requests.
constexpr unsigned kTimeoutsBeforeLatch = 3;

constexpr ULONG kRequestKinds = KSPROPERTY_TYPE_GET | KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_SETSUPPORT;
constexpr ULONG kExtensionUnitInfo = 0;      // property id of the unit itself; selectors start at 1
constexpr ULONG kLastSelector = 0xFF;
constexpr std::uint16_t kGetLenSize = 2;     // bytes, little-endian

std::uint16_t LengthKey(std::uint8_t unit, std::uint8_t selector) {
  return static_cast<std::uint16_t>(unit << 8 | selector);
}

}  // namespace

ExtensionUnitChannel::ExtensionUnitChannel(std::shared_ptr<NodeIo> io, int handle, std::shared_ptr<const Topology> topology)
    : io_(std::move(io)), handle_(handle), topology_(std::move(topology)) {}

ExtensionUnitChannel::~ExtensionUnitChannel() { io_->Close(handle_); }

HRESULT ExtensionUnitChannel::KsProperty(const ULONG* ownNode, const KSPROPERTY* property, ULONG propertyLength,
                                         void* data, ULONG dataLength, ULONG* bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  if (property == nullptr) return E_POINTER;
  if (propertyLength < sizeof(KSP_NODE)) return E_INVALIDARG;
  if (data == nullptr && dataLength != 0) return E_POINTER;
  const auto* request = reinterpret_cast<const KSP_NODE*>(property);
  if ((property->Flags & KSPROPERTY_TYPE_TOPOLOGY) == 0) return HRESULT_FROM_WIN32_SET_NOT_FOUND;
  // A node instance answers for its own node only.
  if (ownNode != nullptr && request->NodeId != *ownNode) return HRESULT_FROM_WIN32_NOT_FOUND;
  if (request->NodeId >= topology_->size()) return HRESULT_FROM_WIN32_NOT_FOUND;
  const VideoControlEntity& unit = (*topology_)[request->NodeId];
  // The property set of an extension unit is its GUID, all 16 bytes of it.
  if (unit.kind != EntityKind::ExtensionUnit || !(unit.extensionCode == property->Set)) {
    return HRESULT_FROM_WIN32_SET_NOT_FOUND;
  }

  std::lock_guard lock(mutex_);
  if (latched_ != S_OK) return latched_;
  const ULONG id = property->Id;
  switch (property->Flags & kRequestKinds) {
    case KSPROPERTY_TYPE_SETSUPPORT:
      return id == kExtensionUnitInfo || unit.HasSelector(id) ? S_OK : HRESULT_FROM_WIN32_NOT_FOUND;
    case KSPROPERTY_TYPE_GET:
    case KSPROPERTY_TYPE_SET:
      // uvcvideo knows only the selectors the descriptor lists; asking it for others gains nothing.
      if (id == kExtensionUnitInfo || id > kLastSelector || !unit.HasSelector(id)) return HRESULT_FROM_WIN32_NOT_FOUND;
      return Transfer(unit, static_cast<std::uint8_t>(id), (property->Flags & KSPROPERTY_TYPE_SET) != 0,
                      static_cast<std::uint8_t*>(data), dataLength, bytesReturned);
    default:
      return E_INVALIDARG;
  }
}

// uvcvideo takes exactly GET_LEN bytes, while callers send a control's payload in more than one
// length (11 and 12 bytes on control 3). A short SET is padded with zeros, which is what payload
// bytes that carry nothing hold anyway; a long one loses only zero bytes or is refused unsent. A GET
// reads the whole control and hands back what fits.
HRESULT ExtensionUnitChannel::Transfer(const VideoControlEntity& unit, std::uint8_t selector, bool set,
                                       std::uint8_t* data, ULONG dataLength, ULONG* bytesReturned) {
  std::uint16_t length = 0;
  if (HRESULT status = ControlLength(unit.id, selector, &length); status != S_OK) return status;
  std::vector<std::uint8_t> control(length, 0);
  const ULONG common = std::min<ULONG>(dataLength, length);
  if (set) {
    if (std::any_of(data + common, data + dataLength, [](std::uint8_t b) { return b != 0; })) return E_INVALIDARG;
    std::copy_n(data, common, control.begin());
    return Query(unit.id, selector, UVC_SET_CUR, control.data(), length);
  }
  const HRESULT status = Query(unit.id, selector, UVC_GET_CUR, control.data(), length);
  if (status != S_OK) return status;
  std::copy_n(control.begin(), common, data);
  std::fill(data + common, data + dataLength, 0);
  if (bytesReturned != nullptr) *bytesReturned = common;
  return S_OK;
}

HRESULT ExtensionUnitChannel::ControlLength(std::uint8_t unit, std::uint8_t selector, std::uint16_t* length) {
  const auto known = lengths_.find(LengthKey(unit, selector));
  if (known != lengths_.end()) {
    *length = known->second;
    return S_OK;
  }
  std::uint8_t reply[kGetLenSize] = {};
  if (HRESULT status = Query(unit, selector, UVC_GET_LEN, reply, kGetLenSize); status != S_OK) return status;
  *length = static_cast<std::uint16_t>(reply[0] | reply[1] << 8);
  // A control of no bytes cannot carry a request; uvcvideo would pass it on regardless.
  if (*length == 0) return HRESULT_FROM_WIN32_GEN_FAILURE;
  lengths_.emplace(LengthKey(unit, selector), *length);
  return S_OK;
}

// One UVCIOC_CTRL_QUERY, repeated when a signal interrupted it. Faults that mean the camera is gone
// or hung latch the channel.
HRESULT ExtensionUnitChannel::Query(std::uint8_t unit, std::uint8_t selector, std::uint8_t query, std::uint8_t* data,
                                    std::uint16_t size) {
  uvc_xu_control_query request{};
  request.unit = unit;
  request.selector = selector;
  request.query = query;
  request.size = size;
  request.data = data;
  int result;
  do {
    result = io_->QueryControl(handle_, &request);
  } while (result == -EINTR);

  if (result >= 0) {
    timeoutsInARow_ = 0;
    // A short reply: Linux 6.1 still copies `size` bytes, the tail of which the camera never sent.
    if (result > 0 && result < size) std::fill(data + result, data + size, 0);
    return S_OK;
  }
  const ErrnoStatus failure = StatusFromErrno(-result);
  switch (failure.kind) {
    case ErrnoKind::Gone:
      latched_ = failure.status;
      break;
    case ErrnoKind::TimedOut:
      if (++timeoutsInARow_ >= kTimeoutsBeforeLatch) latched_ = failure.status;
      break;
    case ErrnoKind::Refused:
      timeoutsInARow_ = 0;
      break;
  }
  return failure.status;
}

}  // namespace platform::uvc
