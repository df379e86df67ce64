#include "platform/uvc/uvc_filter.h"

#include "platform/devices/kernel_streaming.h"
#include "platform/uvc/entity_node_types.h"

namespace platform::uvc {
namespace {

// A node instance from CreateNodeInstance.
class NodeControl final : public IKsControl, public ComObject<NodeControl> {
 public:
  NodeControl(std::shared_ptr<ExtensionUnitChannel> channel, ULONG node) : channel_(std::move(channel)), node_(node) {}

  HRESULT QueryInterface(REFIID riid, void** object) override { return QueryInterfaceImpl<IKsControl>(riid, object); }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* bytesReturned) override {
    return channel_->KsProperty(&node_, property, propertyLength, data, dataLength, bytesReturned);
  }

 private:
  std::shared_ptr<ExtensionUnitChannel> channel_;
  const ULONG node_;
};

class UvcFilter final : public IBaseFilter,
                        public IKsControl,
                        public IKsTopologyInfo,
                        public ComObject<UvcFilter> {
 public:
  explicit UvcFilter(std::shared_ptr<ExtensionUnitChannel> channel) : channel_(std::move(channel)) {}

  // No IKsPropertySet: the property sets of other camera drivers do not exist here.
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IBaseFilter, IKsControl, IKsTopologyInfo>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* bytesReturned) override {
    return channel_->KsProperty(nullptr, property, propertyLength, data, dataLength, bytesReturned);
  }

  HRESULT get_NumNodes(DWORD* count) override {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<DWORD>(channel_->Nodes().size());
    return S_OK;
  }
  HRESULT get_NodeType(DWORD index, GUID* nodeType) override {
    if (nodeType == nullptr) return E_POINTER;
    if (index >= channel_->Nodes().size()) return E_INVALIDARG;
    *nodeType = NodeTypeOf(channel_->Nodes()[index]);
    return S_OK;
  }
  HRESULT CreateNodeInstance(DWORD index, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (index >= channel_->Nodes().size()) return E_INVALIDARG;
    auto* node = new NodeControl(channel_, index);
    const HRESULT hr = node->QueryInterface(riid, object);
    node->Release();
    return hr;
  }

 private:
  std::shared_ptr<ExtensionUnitChannel> channel_;
};

}  // namespace

IBaseFilter* CreateUvcFilter(std::shared_ptr<ExtensionUnitChannel> channel) {
  return new UvcFilter(std::move(channel));
}

}  // namespace platform::uvc
