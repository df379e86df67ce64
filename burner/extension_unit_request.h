#pragma once
// One extension-unit request on the dialog's own binding: a KSP_NODE property of the camera's
// extension-unit set, sent through an IKsControl of the filter.
#include <cstdint>

#include "platform/devices/kernel_streaming.h"
#include "serial_flash/camera_protocol.h"

namespace burner_detail {

// KsProperty of one request; the count of bytes returned is not used.
HRESULT SendXuRequest(IKsControl* control, ULONG controlId, ULONG flags, ULONG nodeId, void* data,
                      ULONG dataLength);

}  // namespace burner_detail
