// The enumeration contract the camera discovery code relies on: order, S_FALSE for an empty
// category, per-device failures, exact reference counting on every path.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/com/com_runtime.h"
#include "platform/devices/device_registry.h"
#include "platform/devices/kernel_streaming.h"

namespace {

class PlainFilter final : public IBaseFilter, public platform::ComObject<PlainFilter> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IBaseFilter>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }
};

struct TestDevice : platform::VideoInputDevice {
  std::wstring name;
  HRESULT storage = S_OK;
  HRESULT nameRead = S_OK;
  HRESULT pathRead = S_OK;
  HRESULT bind = S_OK;

  explicit TestDevice(std::wstring n) : name(std::move(n)) {}
  HRESULT BindToStorageStatus() override { return storage; }
  HRESULT ReadProperty(std::wstring_view property, std::wstring& value) override {
    if (property == L"FriendlyName") {
      if (nameRead != S_OK) return nameRead;
      value = name;
      return S_OK;
    }
    if (property == L"DevicePath") {
      if (pathRead != S_OK) return pathRead;
      value = L"\\\\?\\usb#" + name;
      return S_OK;
    }
    return E_INVALIDARG;
  }
  HRESULT BindFilter(IBaseFilter** filter) override {
    if (FAILED(bind)) return bind;
    *filter = new PlainFilter();
    return bind;
  }
};

struct DeviceOutcome {
  std::wstring name;
  HRESULT storage;
  HRESULT nameRead;
  HRESULT filterBind;
  HRESULT pathRead;
  bool pathSet;  // the "DevicePath" VARIANT came back holding a string
};

class EnumerationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearVideoInputDevices();
    CoInitialize(nullptr);
    liveAtStart = platform::LiveComObjects();
  }
  void TearDown() override {
    EXPECT_EQ(platform::LiveComObjects(), liveAtStart) << "a COM object leaked";
    EXPECT_EQ(platform::LiveBstrs(), 0);
    CoUninitialize();
    platform::ClearVideoInputDevices();
  }

  // Walks the video-input category the way camera discovery does and reports what each step gave.
  std::vector<DeviceOutcome> Walk() {
    std::vector<DeviceOutcome> seen;
    ICreateDevEnum* devEnum = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                               reinterpret_cast<void**>(&devEnum)),
              S_OK);
    IEnumMoniker* monikers = nullptr;
    HRESULT hr = devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    devEnum->Release();
    if (hr != S_OK) return seen;
    monikers->Reset();
    IMoniker* moniker = nullptr;
    while (monikers->Next(1, &moniker, nullptr) == S_OK) {
      DeviceOutcome outcome{L"", S_OK, S_OK, S_OK, S_OK, false};
      IPropertyBag* bag = nullptr;
      outcome.storage = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
      if (SUCCEEDED(outcome.storage)) {
        VARIANT name;
        VariantInit(&name);
        name.vt = VT_BSTR;
        outcome.nameRead = bag->Read(L"FriendlyName", &name, nullptr);
        if (outcome.nameRead == S_OK) outcome.name = name.bstrVal;
        VariantClear(&name);
        IBaseFilter* filter = nullptr;
        outcome.filterBind = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        if (filter != nullptr) filter->Release();
        VARIANT path;
        VariantInit(&path);
        path.vt = VT_BSTR;
        path.bstrVal = nullptr;
        outcome.pathRead = bag->Read(L"DevicePath", &path, nullptr);
        outcome.pathSet = path.bstrVal != nullptr;
        VariantClear(&path);
        bag->Release();
      }
      moniker->Release();
      seen.push_back(outcome);
    }
    monikers->Release();
    return seen;
  }

  std::size_t liveAtStart = 0;
};

TEST_F(EnumerationTest, EmptyCategoryIsSFalseWithNoEnumerator) {
  ICreateDevEnum* devEnum = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                             reinterpret_cast<void**>(&devEnum)),
            S_OK);
  IEnumMoniker* monikers = reinterpret_cast<IEnumMoniker*>(0x1);
  EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0), S_FALSE);
  EXPECT_EQ(monikers, nullptr);
  devEnum->Release();
}

TEST_F(EnumerationTest, DevicesComeInRegistrationOrderWithTheirFailures) {
  auto camera = std::make_shared<TestDevice>(L"camera");
  auto noBag = std::make_shared<TestDevice>(L"no bag");
  noBag->storage = E_FAIL;
  auto noName = std::make_shared<TestDevice>(L"no name");
  noName->nameRead = E_FAIL;
  auto noFilter = std::make_shared<TestDevice>(L"no filter");
  noFilter->bind = E_NOINTERFACE;
  // A bag that answers a success code other than S_OK: the caller sees that code, not a failure
  // made up on the way, and no value.
  auto oddPath = std::make_shared<TestDevice>(L"odd path");
  oddPath->pathRead = S_FALSE;
  for (const auto& d : {noBag, noName, noFilter, oddPath, camera}) platform::RegisterVideoInputDevice(d);

  auto seen = Walk();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].storage, E_FAIL);
  EXPECT_EQ(seen[1].nameRead, E_FAIL);
  EXPECT_EQ(seen[1].name, L"");
  EXPECT_EQ(seen[2].name, L"no filter");
  EXPECT_EQ(seen[2].filterBind, E_NOINTERFACE);
  EXPECT_EQ(seen[3].name, L"odd path");
  EXPECT_EQ(seen[3].pathRead, S_FALSE);
  EXPECT_FALSE(seen[3].pathSet);
  EXPECT_EQ(seen[4].name, L"camera");
  EXPECT_EQ(seen[4].filterBind, S_OK);
  EXPECT_EQ(seen[4].pathRead, S_OK);
  EXPECT_TRUE(seen[4].pathSet);
}

TEST_F(EnumerationTest, SourceIsAskedAtEachEnumerationAfterTheRegisteredDevices) {
  platform::RegisterVideoInputDevice(std::make_shared<TestDevice>(L"registered"));
  std::vector<std::wstring> present = {L"first", L"second"};
  int asked = 0;
  platform::SetVideoInputSource([&] {
    ++asked;
    std::vector<std::shared_ptr<platform::VideoInputDevice>> devices;
    for (const auto& name : present) devices.push_back(std::make_shared<TestDevice>(name));
    return devices;
  });
  const auto names = [&] {
    std::vector<std::wstring> out;
    for (const DeviceOutcome& d : Walk()) out.push_back(d.name);
    return out;
  };

  EXPECT_EQ(names(), (std::vector<std::wstring>{L"registered", L"first", L"second"}));
  present = {L"plugged in later"};
  EXPECT_EQ(names(), (std::vector<std::wstring>{L"registered", L"plugged in later"}));
  EXPECT_EQ(asked, 2);

  platform::ClearVideoInputDevices();
  EXPECT_TRUE(Walk().empty()) << "clearing drops the source too";
  EXPECT_EQ(asked, 2);
}

TEST_F(EnumerationTest, EnumerationFaults) {
  platform::RegisterVideoInputDevice(std::make_shared<TestDevice>(L"a"));
  platform::RegisterVideoInputDevice(std::make_shared<TestDevice>(L"b"));

  platform::SetEnumerationFaults({.nextFailsAt = 1, .nextFailure = E_UNEXPECTED});
  EXPECT_EQ(Walk().size(), 1u) << "Next fails on the second device";

  platform::SetEnumerationFaults({.createClassEnumerator = E_FAIL});
  EXPECT_TRUE(Walk().empty());

  platform::SetEnumerationFaults({.createDeviceEnumerator = REGDB_E_CLASSNOTREG});
  ICreateDevEnum* devEnum = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                             reinterpret_cast<void**>(&devEnum)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(devEnum, nullptr);
}

TEST_F(EnumerationTest, CreationNeedsComOnTheThread) {
  std::thread([] {
    ICreateDevEnum* devEnum = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                               reinterpret_cast<void**>(&devEnum)),
              CO_E_NOTINITIALIZED);
  }).join();
  IUnknown* other = nullptr;
  EXPECT_EQ(CoCreateInstance(IID_IBaseFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&other)),
            REGDB_E_CLASSNOTREG);
}

TEST(ComInitialisation, CountsPerThread) {
  std::thread([] {
    EXPECT_EQ(platform::ComInitCount(), 0);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(platform::ComInitCount(), 2);
    std::thread([] { EXPECT_EQ(platform::ComInitCount(), 0); }).join();
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(platform::ComInitCount(), 0);
    CoUninitialize();
    EXPECT_EQ(platform::UnbalancedCoUninitializeCount(), 1);
    EXPECT_EQ(CoInitialize(nullptr), S_OK) << "a balanced thread starts over";
    CoUninitialize();
  }).join();
}

}  // namespace
