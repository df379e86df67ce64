// Which cameras the provider offers, in which order, under which names, and what it says about a
// camera it cannot open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/unknown.h"
#include "platform/uvc/device_path.h"
#include "platform/uvc/real_cameras.h"
#include "tests/uvc/sample_cameras.h"

namespace uvc_test {
namespace {

using platform::VideoInputDevice;

struct Listed {
  std::wstring name;
  std::wstring path;
  std::string node;  // the node a bound filter holds open
  friend bool operator==(const Listed&, const Listed&) = default;
};

void PrintTo(const Listed& l, std::ostream* os) {
  *os << std::string(l.name.begin(), l.name.end()) << " | " << std::string(l.path.begin(), l.path.end()) << " | "
      << l.node;
}

class RealCamerasTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(machine.kernel->OpenHandles().empty()) << "a video node was left open";
    EXPECT_EQ(platform::LiveComObjects(), liveAtStart) << "a COM object leaked";
  }

  std::vector<Listed> Scan(platform::uvc::RealCameraSource& source) {
    std::vector<Listed> out;
    for (const auto& device : source.Scan()) {
      Listed listed;
      EXPECT_EQ(device->ReadProperty(L"FriendlyName", listed.name), S_OK);
      EXPECT_EQ(device->ReadProperty(L"DevicePath", listed.path), S_OK);
      platform::ComPtr<IBaseFilter> filter;
      if (device->BindFilter(filter.Put()) == S_OK) {
        const std::set<int> open = machine.kernel->OpenHandles();
        if (open.size() == 1) listed.node = machine.kernel->PathOf(*open.begin());
      }
      out.push_back(listed);
    }
    return out;
  }

  std::size_t liveAtStart = platform::LiveComObjects();
  FakeMachine machine;
};

std::wstring PathOf(const MachineCamera& c) {
  return platform::uvc::ComposeDevicePath(c.vendor, c.product, c.interfaceNumber, c.port);
}

TEST_F(RealCamerasTest, ToolCameraComesFirstThenTheOthersInNodeOrder) {
  const MachineCamera webcam = ForeignWebcam();  // video0, video1
  const MachineCamera tool = ToolCamera();       // video2, video3
  MachineCamera late = ForeignWebcam();          // metadata node below its capture node; video10 sorts after video5
  late.port = "3-1.4.2";
  late.name = "Late Webcam";
  late.nodes = {11, 10};
  MachineCamera desk = ForeignWebcam();          // a single node
  desk.port = "1-3";
  desk.name = "Desk Webcam";
  desk.nodes = {5};
  MachineCamera other = ForeignWebcam();         // bound to another driver
  other.port = "2-1";
  other.driver = "gspca_zc3xx";
  other.nodes = {4};
  MachineCamera spare = ToolCamera();            // a second tool camera, after a foreign one
  spare.port = "1-4";
  spare.name = "Spare Flash Camera";
  spare.nodes = {7, 8};
  for (const MachineCamera& c : {late, other, spare, tool, desk, webcam}) machine.AddCamera(c);
  platform::uvc::RealCameraSource source(machine.Host());

  EXPECT_EQ(Scan(source), (std::vector<Listed>{{L"Flash Camera", PathOf(tool), "/dev/video2"},
                                                {L"Spare Flash Camera", PathOf(spare), "/dev/video7"},
                                                {L"Integrated Webcam", PathOf(webcam), "/dev/video0"},
                                                {L"Desk Webcam", PathOf(desk), "/dev/video5"},
                                                {L"Late Webcam", PathOf(late), "/dev/video11"}}));
  EXPECT_TRUE(machine.Warnings().empty());
}

TEST_F(RealCamerasTest, OnlyTheToolsExactGuidInTheVideoControlInterfaceCountsForTheOrder) {
  MachineCamera nearMiss = ForeignWebcam();  // the tool's GUID with Data4's last byte changed
  nearMiss.name = "Near Miss";
  nearMiss.descriptors = CameraDescriptors(
      {CameraTerminal(1), ExtensionUnit(6, {0x28F03370, 0x6311, 0x4A2E, {0xBA, 0x2C, 0x68, 0x90, 0xEB, 0x33, 0x40, 0x17}},
                                        {0x1F})});
  MachineCamera secondFunction = ToolCamera();  // the tool's unit sits in the device's second function
  secondFunction.name = "Second Function";
  secondFunction.interfaceNumber = 2;
  secondFunction.descriptors =
      Join({DeviceDescriptor(), Configuration(1), Association(0, 2), Interface(0, 0, kVideoControl),
            ExtensionUnit(kToolUnit, kForeignUnitGuid, {0x1F}), Endpoint(), Interface(1, 0, kVideoStreaming),
            Association(2, 2), Interface(2, 0, kVideoControl), ExtensionUnit(kToolUnit, PROPSETID_EXTENSION_UNIT, {0x1F}),
            Endpoint()});
  MachineCamera firstFunction = secondFunction;  // same device, same unit id, a foreign GUID
  firstFunction.name = "First Function";
  firstFunction.interfaceNumber = 0;
  firstFunction.nodes = {4, 5};
  machine.AddCamera(nearMiss);  // video0: its streaming interface also carries the lookalike
  machine.AddCamera(firstFunction);
  machine.AddCamera(secondFunction);  // video2
  platform::uvc::RealCameraSource source(machine.Host());

  std::vector<std::wstring> names;
  for (const Listed& l : Scan(source)) names.push_back(l.name);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Second Function", L"Near Miss", L"First Function"}));
}

TEST_F(RealCamerasTest, CameraThatCannotBeOpenedIsPassedOverAndNamedOnce) {
  MachineCamera locked = ToolCamera();
  locked.openError = EACCES;
  MachineCamera busy = ForeignWebcam();
  busy.port = "1-3";
  busy.name = "Busy Webcam";
  busy.nodes = {5, 6};
  busy.openError = EIO;
  machine.AddCamera(ForeignWebcam());
  machine.AddCamera(locked);
  machine.AddCamera(busy);
  platform::uvc::RealCameraSource source(machine.Host());

  for (int scan = 0; scan < 3; ++scan) {
    const std::vector<Listed> listed = Scan(source);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, L"Integrated Webcam");
  }
  const std::vector<std::string> warnings = machine.Warnings();
  ASSERT_EQ(warnings.size(), 2u) << "once per camera, not per node or per scan";
  EXPECT_EQ(warnings[0],
            "flarnex: cannot open /dev/video2 (Flash Camera): permission denied; add the user to the 'video' group, "
            "or run the tool in the session of the desktop seat");
  EXPECT_EQ(warnings[1], "flarnex: cannot open /dev/video5 (Busy Webcam): Input/output error");
}

TEST_F(RealCamerasTest, NamesAndPathsAreStableAndNeverFail) {
  MachineCamera unnamed = ToolCamera();
  unnamed.name = "";
  unnamed.port = "4-1.2.3.4.5.6.7";
  unnamed.interfaceNumber = 3;
  unnamed.descriptors = {};  // unreadable descriptors: a camera without nodes, still listed
  machine.AddCamera(unnamed);
  platform::uvc::RealCameraSource source(machine.Host());

  const std::vector<Listed> listed = Scan(source);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, L"UVC Camera (1b3f:2247)");
  EXPECT_EQ(listed[0].path, L"\\\\?\\usb#vid_1b3f&pid_2247&mi_03#4-1.2.3.4.5.6.7#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
  EXPECT_EQ(Scan(source), listed) << "the same camera on the same port keeps its path";

  // Whatever the sysfs names hold, the path stays short ASCII.
  const std::wstring hostile = platform::uvc::ComposeDevicePath(0xFFFF, 0xFFFF, 0xFF, std::string(400, '\xE9') + "1-1#x\\y");
  EXPECT_EQ(hostile, L"\\\\?\\usb#vid_ffff&pid_ffff&mi_ff#1-1#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
  EXPECT_LT(platform::uvc::ComposeDevicePath(0, 0, 0, std::string(400, '1')).size(), 255u);
}

}  // namespace
}  // namespace uvc_test
