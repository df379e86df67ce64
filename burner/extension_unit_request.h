#pragma once
// The burner's own extension-unit requests: KSP_NODE properties of the camera's extension-unit
// set, sent through an IKsControl of the dialog's filter or of a topology node.
#include <cstdint>

#include "burner/burner_dialog_context.h"
#include "platform/devices/kernel_streaming.h"
#include "serial_flash/camera_protocol.h"

namespace burner_detail {

// The IKsControl that one request, or one request and its reply, goes through, with the node it
// addresses. The holder owns its reference and releases it when it goes, on every path.
class XuRequestControl {
 public:
  // Queries the IKsControl of dlg's filter for requests on dlg's node; empty when there is no
  // filter or it refuses the interface.
  explicit XuRequestControl(const BurnerDialogContext& dlg);
  // Takes over the reference of a node instance's IKsControl, for requests on that node.
  XuRequestControl(IKsControl* adopted, ULONG nodeId) : control_(adopted), nodeId_(nodeId) {}
  ~XuRequestControl();
  XuRequestControl(const XuRequestControl&) = delete;
  XuRequestControl& operator=(const XuRequestControl&) = delete;

  explicit operator bool() const { return control_ != nullptr; }
  // KsProperty of one request; the count of bytes returned is not used.
  HRESULT Send(ULONG controlId, ULONG flags, void* data, ULONG dataLength) const;

 private:
  IKsControl* control_ = nullptr;
  ULONG nodeId_ = 0;
};

}  // namespace burner_detail
