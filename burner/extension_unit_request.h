#pragma once
// One extension-unit request on the dialog's own binding: a KSP_NODE property of the camera's
// extension-unit set, sent through an IKsControl of the filter.
#include <cstdint>

#include "platform/devices/kernel_streaming.h"

namespace burner_detail {

// Controls (property ids) of the extension unit that the burner uses.
constexpr ULONG kXuControlRegister = 1;  // 4-byte register read and write
constexpr ULONG kXuControlFlash = 3;     // eight-byte flash blocks

constexpr ULONG kXuSet = KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kXuGet = KSPROPERTY_TYPE_GET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kXuSupportProbe = KSPROPERTY_TYPE_SETSUPPORT | KSPROPERTY_TYPE_TOPOLOGY;

// KsProperty of one request; the count of bytes returned is not used.
HRESULT SendXuRequest(IKsControl* control, ULONG controlId, ULONG flags, ULONG nodeId, void* data,
                      ULONG dataLength);

}  // namespace burner_detail
