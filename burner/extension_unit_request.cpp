#include "burner/extension_unit_request.h"

namespace burner_detail {

XuRequestControl::XuRequestControl(const BurnerDialogContext& dlg) : nodeId_(static_cast<ULONG>(dlg.m_nodeId)) {
  if (dlg.m_pFilter == nullptr) return;
  IKsControl* control = nullptr;
  if (dlg.m_pFilter->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(&control)) == S_OK) {
    control_ = control;
  } else if (control != nullptr) {
    control->Release();
  }
}

XuRequestControl::~XuRequestControl() {
  if (control_ != nullptr) control_->Release();
}

HRESULT XuRequestControl::Send(ULONG controlId, ULONG flags, void* data, ULONG dataLength) const {
  KSP_NODE property = XuProperty(controlId, flags, nodeId_);
  ULONG returned = 0;
  return control_->KsProperty(&property.Property, sizeof property, data, dataLength, &returned);
}

}  // namespace burner_detail
