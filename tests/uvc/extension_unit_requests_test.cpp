// A real camera's filter under the library's and the burner's calls: its topology, the support
// probe, how one request becomes one UVCIOC_CTRL_QUERY, the length rules, errno, and latching a
// camera that is gone or hung. Everything runs against the fake uvcvideo, which refuses what the
// kernel refuses.
#include <gtest/gtest.h>
#include <linux/usb/video.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/unknown.h"
#include "platform/devices/kernel_streaming.h"
#include "platform/uvc/errno_status.h"
#include "platform/uvc/real_cameras.h"
#include "tests/support/hex_bytes.h"
#include "tests/uvc/sample_cameras.h"

namespace uvc_test {
namespace {

using platform::ComPtr;

constexpr ULONG kGet = KSPROPERTY_TYPE_GET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kSet = KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kProbe = KSPROPERTY_TYPE_SETSUPPORT | KSPROPERTY_TYPE_TOPOLOGY;

using test_support::HexBytes;

std::string QueryName(std::uint8_t query) {
  switch (query) {
    case UVC_SET_CUR: return "SET_CUR";
    case UVC_GET_CUR: return "GET_CUR";
    case UVC_GET_LEN: return "GET_LEN";
    case UVC_GET_INFO: return "GET_INFO";
    default: return "query " + std::to_string(query);
  }
}

// A camera bound the way the library binds it: the first device of a scan, its filter's IKsControl.
class BoundCamera {
 public:
  explicit BoundCamera(const MachineCamera& camera) {
    machine.AddCamera(camera);
    source = std::make_unique<platform::uvc::RealCameraSource>(machine.Host());
    auto devices = source->Scan();
    EXPECT_FALSE(devices.empty());
    if (devices.empty()) return;
    EXPECT_EQ(devices[0]->BindFilter(filter.Put()), S_OK);
    if (filter) filter->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(control.Put()));
    machine.kernel->ClearQueries();
  }

  HRESULT Send(IKsControl* via, ULONG id, ULONG flags, std::vector<std::uint8_t>& data, ULONG node = kToolNode,
               ULONG* returned = nullptr) {
    KSP_NODE property{{PROPSETID_EXTENSION_UNIT, id, flags}, node, 0};
    ULONG ignored = 0;
    return via->KsProperty(&property.Property, sizeof property, data.empty() ? nullptr : data.data(),
                           static_cast<ULONG>(data.size()), returned != nullptr ? returned : &ignored);
  }
  HRESULT Send(ULONG id, ULONG flags, std::vector<std::uint8_t>& data, ULONG node = kToolNode, ULONG* returned = nullptr) {
    return Send(control.Get(), id, flags, data, node, returned);
  }
  HRESULT Probe(IKsControl* via, ULONG id, ULONG node, const GUID& set = PROPSETID_EXTENSION_UNIT) {
    KSP_NODE property{{set, id, kProbe}, node, 0};
    return via->KsProperty(&property.Property, sizeof property, nullptr, 0, nullptr);
  }

  // "GET_LEN 154/3 [0C 00]" (unit/selector, bytes sent or received), with " -errno" on failure.
  std::vector<std::string> Traffic() const {
    std::vector<std::string> out;
    for (const QueryRecord& q : machine.kernel->Queries()) {
      std::string line = QueryName(q.query) + " " + std::to_string(q.unit) + "/" + std::to_string(q.selector) + " [" +
                         HexBytes(q.data) + "]";
      if (q.result < 0) line += " -" + std::to_string(-q.result);
      out.push_back(line);
    }
    return out;
  }

  FakeMachine machine;
  std::unique_ptr<platform::uvc::RealCameraSource> source;
  ComPtr<IBaseFilter> filter;
  ComPtr<IKsControl> control;
};

class ExtensionUnitRequestTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(platform::LiveComObjects(), liveAtStart) << "a COM object leaked"; }
  std::size_t liveAtStart = platform::LiveComObjects();
};

TEST_F(ExtensionUnitRequestTest, TopologyAndProbesComeFromTheDescriptorsWithoutTraffic) {
  BoundCamera cam(ToolCamera());
  ComPtr<IKsTopologyInfo> topology;
  ASSERT_EQ(cam.filter->QueryInterface(IID_IKsTopologyInfo, reinterpret_cast<void**>(topology.Put())), S_OK);
  DWORD count = 0;
  ASSERT_EQ(topology->get_NumNodes(&count), S_OK);
  ASSERT_EQ(count, 5u);
  std::vector<bool> deviceSpecific;
  for (DWORD i = 0; i < count; ++i) {
    GUID type{};
    ASSERT_EQ(topology->get_NodeType(i, &type), S_OK);
    deviceSpecific.push_back(type == KSNODETYPE_DEV_SPECIFIC);
  }
  EXPECT_EQ(deviceSpecific, (std::vector<bool>{false, false, true, true, false}));
  GUID type{};
  EXPECT_EQ(topology->get_NodeType(count, &type), E_INVALIDARG);
  ComPtr<IKsControl> none;
  EXPECT_EQ(topology->CreateNodeInstance(count, IID_IKsControl, reinterpret_cast<void**>(none.Put())), E_INVALIDARG);

  ComPtr<IKsControl> node;
  ASSERT_EQ(topology->CreateNodeInstance(kToolNode, IID_IKsControl, reinterpret_cast<void**>(node.Put())), S_OK);
  struct Case {
    const char* name;
    IKsControl* via;
    ULONG id;
    ULONG node;
    GUID set;
    HRESULT expected;
  };
  const Case cases[] = {
      {"the unit itself", node.Get(), 0, kToolNode, PROPSETID_EXTENSION_UNIT, S_OK},
      {"a listed selector", node.Get(), 5, kToolNode, PROPSETID_EXTENSION_UNIT, S_OK},
      {"an unlisted selector", node.Get(), 6, kToolNode, PROPSETID_EXTENSION_UNIT, HRESULT_FROM_WIN32_NOT_FOUND},
      {"through the filter", cam.control.Get(), 1, kToolNode, PROPSETID_EXTENSION_UNIT, S_OK},
      {"the foreign unit", cam.control.Get(), 0, 2, PROPSETID_EXTENSION_UNIT, HRESULT_FROM_WIN32_SET_NOT_FOUND},
      {"the foreign unit's own set", cam.control.Get(), 0, 2, kForeignUnitGuid, S_OK},
      {"a terminal", cam.control.Get(), 0, 0, PROPSETID_EXTENSION_UNIT, HRESULT_FROM_WIN32_SET_NOT_FOUND},
      {"past the last node", cam.control.Get(), 0, 5, PROPSETID_EXTENSION_UNIT, HRESULT_FROM_WIN32_NOT_FOUND},
      {"a node instance asked for another node", node.Get(), 0, 2, kForeignUnitGuid, HRESULT_FROM_WIN32_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(cam.Probe(c.via, c.id, c.node, c.set), c.expected);
  }
  EXPECT_TRUE(cam.Traffic().empty());

  KSP_NODE property{{PROPSETID_EXTENSION_UNIT, 1, KSPROPERTY_TYPE_SETSUPPORT}, kToolNode, 0};
  EXPECT_EQ(cam.control->KsProperty(&property.Property, sizeof property, nullptr, 0, nullptr),
            HRESULT_FROM_WIN32_SET_NOT_FOUND) << "without the topology flag it is no node property";
  property.Property.Flags = kProbe;
  EXPECT_EQ(cam.control->KsProperty(&property.Property, sizeof property - 1, nullptr, 0, nullptr), E_INVALIDARG);

  ComPtr<IKsPropertySet> propertySet;
  EXPECT_EQ(cam.filter->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(propertySet.Put())), E_NOINTERFACE);
}

TEST_F(ExtensionUnitRequestTest, EachRequestIsOneQueryOnTheUnitAfterOneGetLenPerControl) {
  MachineCamera camera = ToolCamera();
  camera.camera = [](int, std::uint8_t, std::uint8_t selector, std::uint8_t query, std::span<std::uint8_t> data) {
    if (query == UVC_GET_CUR) {
      for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(selector << 4 | i);
    }
    return 0;
  };
  BoundCamera cam(camera);
  std::vector<std::uint8_t> reg = {0x1F, 0x10, 0x00, 0xFF};
  std::vector<std::uint8_t> reply(4, 0);
  std::vector<std::uint8_t> status(12, 0);
  std::vector<std::uint8_t> unlisted(2, 0);
  EXPECT_EQ(cam.Send(1, kSet, reg), S_OK);
  EXPECT_EQ(cam.Send(1, kGet, reply), S_OK);
  EXPECT_EQ(reply, (std::vector<std::uint8_t>{0x10, 0x11, 0x12, 0x13}));
  EXPECT_EQ(cam.Send(5, kGet, status), S_OK);
  EXPECT_EQ(cam.Send(1, kSet, reg), S_OK);
  EXPECT_EQ(cam.Send(0, kGet, reply), HRESULT_FROM_WIN32_NOT_FOUND) << "the unit's own property is no control";
  EXPECT_EQ(cam.Send(6, kGet, unlisted, 2), HRESULT_FROM_WIN32_SET_NOT_FOUND) << "another unit's set";

  EXPECT_EQ(cam.Traffic(), (std::vector<std::string>{
                               "GET_LEN 154/1 [04 00]",
                               "SET_CUR 154/1 [1F 10 00 FF]",
                               "GET_CUR 154/1 [10 11 12 13]",
                               "GET_LEN 154/5 [0C 00]",
                               "GET_CUR 154/5 [50 51 52 53 54 55 56 57 58 59 5A 5B]",
                               "SET_CUR 154/1 [1F 10 00 FF]",
                           }));

  // A camera whose unit lists selectors 1 to 4 only: uvcvideo knows no control 5, so neither do we.
  MachineCamera fourOnly = ToolCamera();
  fourOnly.descriptors = CameraDescriptors({CameraTerminal(1), ProcessingUnit(2, 1),
                                            ExtensionUnit(kForeignUnit, kForeignUnitGuid, {0x3F}, {2}),
                                            ExtensionUnit(kToolUnit, PROPSETID_EXTENSION_UNIT, {0x0F}, {2})});
  fourOnly.units[1].controls.erase(5);
  BoundCamera partial(fourOnly);
  EXPECT_EQ(partial.Send(5, kGet, status), HRESULT_FROM_WIN32_NOT_FOUND);
  EXPECT_EQ(partial.Probe(partial.control.Get(), 5, kToolNode), HRESULT_FROM_WIN32_NOT_FOUND);
  EXPECT_EQ(partial.Send(4, kGet, status), S_OK);
  EXPECT_EQ(partial.Traffic(), (std::vector<std::string>{"GET_LEN 154/4 [0C 00]", "GET_CUR 154/4 [00 00 00 00 00 00 00 00 00 00 00 00]"}));
}

TEST_F(ExtensionUnitRequestTest, LengthsFollowTheControlsGetLen) {
  struct Case {
    const char* name;
    std::uint16_t getLen;
    ULONG flags;
    std::vector<std::uint8_t> caller;  // bytes sent (SET), or the caller's buffer before the GET
    int replyCount;                     // bytes the camera answers a GET with; 0 = all
    HRESULT expected;
    std::vector<std::string> traffic;   // after GET_LEN
    std::vector<std::uint8_t> after;    // the caller's buffer after a GET
    ULONG returned;
  };
  const std::vector<std::uint8_t> eleven = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  std::vector<std::uint8_t> twelve = eleven;
  twelve.push_back(0);
  std::vector<std::uint8_t> twelveLastSet = eleven;
  twelveLastSet.push_back(0x5A);
  const std::vector<std::uint8_t> marked(12, 0xEE);
  const Case cases[] = {
      {"SET, same length", 12, kSet, twelve, 0, S_OK, {"SET_CUR 154/3 [01 02 03 04 05 06 07 08 09 0A 0B 00]"}, {}, 0},
      {"SET, shorter: zero-padded", 12, kSet, eleven, 0, S_OK, {"SET_CUR 154/3 [01 02 03 04 05 06 07 08 09 0A 0B 00]"}, {}, 0},
      {"SET, longer by zero bytes: trimmed", 11, kSet, twelve, 0, S_OK, {"SET_CUR 154/3 [01 02 03 04 05 06 07 08 09 0A 0B]"}, {}, 0},
      {"SET, longer by a nonzero byte: refused unsent", 11, kSet, twelveLastSet, 0, E_INVALIDARG, {}, {}, 0},
      {"SET, eleven of eleven", 11, kSet, eleven, 0, S_OK, {"SET_CUR 154/3 [01 02 03 04 05 06 07 08 09 0A 0B]"}, {}, 0},
      {"GET, same length", 12, kGet, marked, 0, S_OK, {"GET_CUR 154/3 [30 31 32 33 34 35 36 37 38 39 3A 3B]"},
       {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B}, 12},
      {"GET, shorter buffer: what fits", 12, kGet, std::vector<std::uint8_t>(11, 0xEE), 0, S_OK,
       {"GET_CUR 154/3 [30 31 32 33 34 35 36 37 38 39 3A 3B]"},
       {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A}, 11},
      {"GET, longer buffer: the rest zeroed", 11, kGet, marked, 0, S_OK, {"GET_CUR 154/3 [30 31 32 33 34 35 36 37 38 39 3A]"},
       {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x00}, 11},
      {"GET, short reply: the stale tail zeroed", 12, kGet, marked, 5, S_OK,
       {"GET_CUR 154/3 [30 31 32 33 34 A5 A5 A5 A5 A5 A5 A5]"},
       {0x30, 0x31, 0x32, 0x33, 0x34, 0, 0, 0, 0, 0, 0, 0}, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MachineCamera camera = ToolCamera();
    camera.units[1].controls[3].length = c.getLen;
    camera.camera = [count = c.replyCount](int, std::uint8_t, std::uint8_t selector, std::uint8_t query, std::span<std::uint8_t> data) {
      if (query != UVC_GET_CUR) return 0;
      const std::size_t filled = count != 0 ? static_cast<std::size_t>(count) : data.size();
      for (std::size_t i = 0; i < filled; ++i) data[i] = static_cast<std::uint8_t>(selector << 4 | i);
      return count;
    };
    BoundCamera cam(camera);
    std::vector<std::uint8_t> buffer = c.caller;
    ULONG returned = 99;
    EXPECT_EQ(cam.Send(3, c.flags, buffer, kToolNode, &returned), c.expected);
    std::vector<std::string> traffic = {"GET_LEN 154/3 [" + HexBytes({static_cast<std::uint8_t>(c.getLen), 0}) + "]"};
    traffic.insert(traffic.end(), c.traffic.begin(), c.traffic.end());
    EXPECT_EQ(cam.Traffic(), traffic);
    EXPECT_EQ(buffer, c.flags == kGet ? c.after : c.caller);
    EXPECT_EQ(returned, c.returned);
  }
}

TEST_F(ExtensionUnitRequestTest, ErrnoBecomesAFailureAndAFailedGetLeavesTheBuffer) {
  struct Case {
    int error;
    HRESULT expected;
  };
  const Case cases[] = {
      {ENOENT, HRESULT_FROM_WIN32_NOT_FOUND},
      {EBADRQC, HRESULT_FROM_WIN32_SET_NOT_FOUND},
      {ENOTTY, HRESULT_FROM_WIN32_SET_NOT_FOUND},
      {ENOBUFS, HRESULT_FROM_WIN32_INSUFFICIENT_BUFFER},
      {EBUSY, platform::uvc::HRESULT_FROM_WIN32_BUSY},
      {EPIPE, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EIO, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EPROTO, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EILSEQ, HRESULT_FROM_WIN32_GEN_FAILURE},
      {ERANGE, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EINVAL, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EREMOTE, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EOVERFLOW, HRESULT_FROM_WIN32_GEN_FAILURE},
      {EACCES, E_ACCESSDENIED},
      {ETIMEDOUT, platform::uvc::HRESULT_FROM_WIN32_SEM_TIMEOUT},
      {ENODEV, HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED},
      {ESHUTDOWN, HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    BoundCamera cam(ToolCamera());
    std::vector<std::uint8_t> reply(4, 0xEE);
    EXPECT_EQ(cam.Send(1, kGet, reply), S_OK) << "GET_LEN asked and cached";
    reply.assign(4, 0xEE);
    cam.machine.kernel->FailNextTransfers({c.error});
    EXPECT_EQ(cam.Send(1, kGet, reply), c.expected);
    EXPECT_EQ(reply, std::vector<std::uint8_t>(4, 0xEE));
  }

  // A signal interrupting the call is no failure: the same query goes again.
  BoundCamera cam(ToolCamera());
  std::vector<std::uint8_t> reg = {0x1F, 0x10, 0x00, 0xFF};
  cam.machine.kernel->FailNextTransfers({EINTR, EINTR});
  EXPECT_EQ(cam.Send(1, kSet, reg), S_OK);
  EXPECT_EQ(cam.Traffic(), (std::vector<std::string>{"GET_LEN 154/1 [] -4", "GET_LEN 154/1 [] -4", "GET_LEN 154/1 [04 00]",
                                                     "SET_CUR 154/1 [1F 10 00 FF]"}));

  // What uvcvideo itself refuses: a unit outside the node's chain, a control without SET.
  MachineCamera split = ToolCamera();
  split.units.pop_back();
  BoundCamera outside(split);
  EXPECT_EQ(outside.Send(1, kSet, reg), HRESULT_FROM_WIN32_NOT_FOUND);
  MachineCamera readOnly = ToolCamera();
  readOnly.units[1].controls[1].info = 0x01;
  BoundCamera getOnly(readOnly);
  EXPECT_EQ(getOnly.Send(1, kSet, reg), HRESULT_FROM_WIN32_SET_NOT_FOUND);
}

TEST_F(ExtensionUnitRequestTest, CameraThatIsGoneFailsEveryLaterRequestOfTheFilterAtOnce) {
  BoundCamera cam(ToolCamera());
  ComPtr<IKsTopologyInfo> topology;
  ASSERT_EQ(cam.filter->QueryInterface(IID_IKsTopologyInfo, reinterpret_cast<void**>(topology.Put())), S_OK);
  ComPtr<IKsControl> node;
  ASSERT_EQ(topology->CreateNodeInstance(kToolNode, IID_IKsControl, reinterpret_cast<void**>(node.Put())), S_OK);
  std::vector<std::uint8_t> reg = {0x1F, 0x10, 0x00, 0xFF};
  std::vector<std::uint8_t> block(11, 0);
  ASSERT_EQ(cam.Send(1, kSet, reg), S_OK);
  cam.machine.kernel->FailNextTransfers({ENODEV});
  EXPECT_EQ(cam.Send(1, kSet, reg), HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED);
  const std::size_t queries = cam.machine.kernel->Queries().size();

  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(cam.Send(1, kSet, reg), HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(cam.Send(3, kGet, block), HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED);
  }
  EXPECT_EQ(cam.Probe(node.Get(), 0, kToolNode), HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED);
  EXPECT_EQ(cam.machine.kernel->Queries().size(), queries) << "no call reaches the kernel any more";

  // The latch belongs to that filter: a filter bound afresh asks the kernel again.
  ComPtr<IBaseFilter> again;
  ASSERT_EQ(cam.source->Scan()[0]->BindFilter(again.Put()), S_OK);
  ComPtr<IKsControl> control;
  ASSERT_EQ(again->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(control.Put())), S_OK);
  EXPECT_EQ(cam.Send(control.Get(), 1, kSet, reg), S_OK);
}

TEST_F(ExtensionUnitRequestTest, ThreeTimeoutsInARowLatchTheFilter) {
  BoundCamera cam(ToolCamera());
  std::vector<std::uint8_t> reg = {0x1F, 0x10, 0x00, 0xFF};
  ASSERT_EQ(cam.Send(1, kSet, reg), S_OK);
  const HRESULT timedOut = platform::uvc::HRESULT_FROM_WIN32_SEM_TIMEOUT;
  // Outcome of each request: two timeouts, then an answer, a timeout, a refusal and two more
  // timeouts never make three in a row.
  cam.machine.kernel->FailNextTransfers({ETIMEDOUT, ETIMEDOUT});
  EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  EXPECT_EQ(cam.Send(1, kSet, reg), S_OK);
  cam.machine.kernel->FailNextTransfers({ETIMEDOUT, EPIPE, ETIMEDOUT, ETIMEDOUT});
  EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  EXPECT_EQ(cam.Send(1, kSet, reg), HRESULT_FROM_WIN32_GEN_FAILURE);
  EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  EXPECT_EQ(cam.Send(1, kSet, reg), S_OK);

  cam.machine.kernel->FailNextTransfers({ETIMEDOUT, ETIMEDOUT, ETIMEDOUT});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  const std::size_t queries = cam.machine.kernel->Queries().size();
  EXPECT_EQ(cam.Send(1, kSet, reg), timedOut);
  EXPECT_EQ(cam.machine.kernel->Queries().size(), queries) << "latched: no fourth wait of 5 s";
}

TEST_F(ExtensionUnitRequestTest, NodeStaysOpenFromBindToTheLastRelease) {
  BoundCamera cam(ToolCamera());
  ASSERT_EQ(cam.machine.kernel->OpenHandles().size(), 1u);
  ComPtr<IKsTopologyInfo> topology;
  ASSERT_EQ(cam.filter->QueryInterface(IID_IKsTopologyInfo, reinterpret_cast<void**>(topology.Put())), S_OK);
  ComPtr<IKsControl> node;
  ASSERT_EQ(topology->CreateNodeInstance(kToolNode, IID_IKsControl, reinterpret_cast<void**>(node.Put())), S_OK);
  topology.Reset();
  cam.control.Reset();
  cam.filter.Reset();
  EXPECT_EQ(cam.machine.kernel->OpenHandles().size(), 1u) << "the node instance still needs it";
  std::vector<std::uint8_t> reg = {0x1F, 0x10, 0x00, 0xFF};
  EXPECT_EQ(cam.Send(node.Get(), 1, kSet, reg), S_OK);
  node.Reset();
  EXPECT_TRUE(cam.machine.kernel->OpenHandles().empty());
  EXPECT_EQ(cam.machine.kernel->OpenCount(), 2u) << "the scan's capability query, then the bind";
}

}  // namespace
}  // namespace uvc_test
