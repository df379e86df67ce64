// QueryInterface of our COM objects: which interface pointer each IID yields, what a refused
// IID leaves behind, and that every answer costs exactly one reference.
#include <gtest/gtest.h>

#include "platform/devices/enumeration_interfaces.h"
#include "platform/devices/kernel_streaming.h"

namespace {

class TwoInterfaces final : public IKsControl, public IKsTopologyInfo, public platform::ComObject<TwoInterfaces> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IKsControl, IKsTopologyInfo>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT KsProperty(PKSPROPERTY, ULONG, LPVOID, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT get_NumNodes(DWORD*) override { return E_NOTIMPL; }
  HRESULT get_NodeType(DWORD, GUID*) override { return E_NOTIMPL; }
  HRESULT CreateNodeInstance(DWORD, REFIID, void**) override { return E_NOTIMPL; }
};

TEST(ComObject, QueryInterfaceAnswersTheListedInterfacesWithOneReferenceEach) {
  auto* object = new TwoInterfaces;
  void* const asControl = static_cast<IKsControl*>(object);
  void* const asTopology = static_cast<IKsTopologyInfo*>(object);
  ASSERT_NE(asControl, asTopology);  // the two bases sit apart, so a wrong cast shows

  struct Case {
    const char* name;
    const IID& riid;
    HRESULT result;
    void* pointer;
  };
  const Case cases[] = {
      {"IUnknown is the first listed", IID_IUnknown, S_OK, asControl},
      {"first listed", IID_IKsControl, S_OK, asControl},
      {"second listed", IID_IKsTopologyInfo, S_OK, asTopology},
      {"not listed", IID_IKsPropertySet, E_NOINTERFACE, nullptr},
      {"not listed either", IID_IBaseFilter, E_NOINTERFACE, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* out = &out;  // a stale value that a refusal must clear
    EXPECT_EQ(object->QueryInterface(c.riid, &out), c.result);
    EXPECT_EQ(out, c.pointer);
    // Our reference plus the one handed out, if any.
    EXPECT_EQ(object->AddRef(), c.pointer != nullptr ? 3u : 2u);
    object->Release();
    if (c.pointer != nullptr) object->Release();
  }
  EXPECT_EQ(object->QueryInterface(IID_IKsControl, nullptr), E_POINTER);

  const std::size_t before = platform::LiveComObjects();
  object->Release();
  EXPECT_EQ(platform::LiveComObjects(), before - 1);
}

}  // namespace
