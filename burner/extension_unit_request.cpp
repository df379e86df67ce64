#include "burner/extension_unit_request.h"

namespace burner_detail {

HRESULT SendXuRequest(IKsControl* control, ULONG controlId, ULONG flags, ULONG nodeId, void* data,
                      ULONG dataLength) {
  KSP_NODE property = XuProperty(controlId, flags, nodeId);
  ULONG returned = 0;
  return control->KsProperty(&property.Property, sizeof property, data, dataLength, &returned);
}

}  // namespace burner_detail
