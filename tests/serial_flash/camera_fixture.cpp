#include "camera_fixture.h"

#include <cstdio>

#include "platform/com/com_runtime.h"
#include "platform/com/unknown.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/library_state_for_test.h"
#include "serial_flash/serial_flash.h"
#include "tests/support/hex_bytes.h"

namespace sftest {

std::uint8_t PatternByte(std::uint32_t address) {
  return static_cast<std::uint8_t>(address * 31 + (address >> 8) * 7 + (address >> 16) * 0x5B);
}

std::vector<std::uint8_t> PatternFlash() {
  std::vector<std::uint8_t> bytes(simcam::kImageSize);
  for (std::uint32_t a = 0; a < bytes.size(); ++a) bytes[a] = PatternByte(a);
  return bytes;
}

simcam::FlashProfile AnsweringFlash(std::uint8_t opcode, std::vector<std::uint8_t> answer) {
  simcam::FlashProfile flash = simcam::SilentFlashProfile(0xFF);
  flash.name = "ad-hoc";
  switch (opcode) {
    case 0x9F: flash.jedecId = std::move(answer); break;
    case 0x15: flash.id15 = std::move(answer); break;
    case 0x90: flash.id90 = std::move(answer); break;
    case 0xAB: flash.idAB = std::move(answer); break;
    default: ADD_FAILURE() << "no identification command " << int(opcode);
  }
  return flash;
}

std::string TraceLine(const simcam::RequestRecord& r) {
  using Kind = simcam::RequestRecord::Kind;
  std::string line = r.kind == Kind::Set ? "SET c" : r.kind == Kind::Get ? "GET c" : "PROBE c";
  line += std::to_string(r.control) + " @" + std::to_string(r.nodeId) + " [" + test_support::HexBytes(r.payload) + "]";
  char hex[32];
  if (r.via != simcam::RequestRecord::Via::ExtensionUnit) line += " fallback";
  if (r.result == S_OK) {
    line += " ok";
  } else {
    std::snprintf(hex, sizeof hex, " fail 0x%08X", static_cast<unsigned>(r.result));
    line += hex;
  }
  return line;
}

std::vector<std::string> TraceLines(const std::vector<simcam::RequestRecord>& records) {
  std::vector<std::string> out;
  for (const auto& r : records) out.push_back(TraceLine(r));
  return out;
}

void CameraTest::SetUp() {
  SFResetLibraryStateForTest();
  platform::ClearVideoInputDevices();
  platform::UseVirtualClock();
  platform::ResetSleepStats();
  objectsAtStart_ = platform::LiveComObjects();
  comAtStart_ = platform::ComInitCount();
}

void CameraTest::TearDown() {
  SFResetLibraryStateForTest();
  while (platform::ComInitCount() > comAtStart_) CoUninitialize();
  platform::ClearVideoInputDevices();
  camera_.reset();
  platform::UseRealClock();
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_) << "a COM object was not released";
}

simcam::SimulatedCamera& CameraTest::Camera() {
  if (!camera_) {
    std::string error;
    camera_ = simcam::SimulatedCamera::Create(config_, &error);
    if (!camera_) {
      ADD_FAILURE() << "camera not created: " << error;
      camera_ = simcam::SimulatedCamera::Create(simcam::CameraConfig{});
    }
    camera_->SetTracing(true);  // the tests compare the requests and frames
    camera_->Register();
  }
  return *camera_;
}

void CameraTest::Replace(const simcam::CameraConfig& config) {
  SFResetLibraryStateForTest();
  platform::ClearVideoInputDevices();
  camera_.reset();
  config_ = config;
  Camera();
}

void CameraTest::BindCamera() {
  Camera();
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  ASSERT_NE(g_ksTransport.cameraFilter, nullptr);
  Forget();
}

int CameraTest::Open() {
  Camera();
  int result = SFOpen();
  Forget();
  return result;
}

std::vector<Req> CameraTest::Requests() const {
  using Kind = simcam::RequestRecord::Kind;
  std::vector<Req> out;
  if (!camera_) return out;
  for (const simcam::RequestRecord& r : camera_->Requests()) {
    switch (r.kind) {
      case Kind::SetSupport: out.push_back(Probe(r.nodeId)); break;
      case Kind::Set: out.push_back(Set(r.control, r.payload)); break;
      case Kind::Get: {
        Req get = Get(r.control, static_cast<std::uint32_t>(r.payload.size()));
        get.bytes = r.payload;
        out.push_back(get);
        break;
      }
    }
  }
  return out;
}

RegisterWriteList CameraTest::RegisterWrites() const {
  RegisterWriteList out;
  for (const simcam::RequestRecord& r : camera_->Requests()) {
    if (r.control == 1 && r.kind == simcam::RequestRecord::Kind::Set && r.payload.size() == 4 && r.payload[3] == 0x00) {
      out.emplace_back(static_cast<std::uint16_t>(r.payload[0] | r.payload[1] << 8), r.payload[2]);
    }
  }
  return out;
}

std::vector<std::vector<std::uint8_t>> CameraTest::HostFrames() const {
  std::vector<std::vector<std::uint8_t>> out;
  for (const simcam::SpiFrame& f : camera_->SpiFrames()) {
    if (f.fromFirmware) continue;
    std::vector<std::uint8_t> sent = {f.opcode};
    sent.insert(sent.end(), f.in.begin(), f.in.end());
    out.push_back(sent);
  }
  return out;
}

std::vector<std::uint8_t> CameraTest::HostOpcodes() const {
  std::vector<std::uint8_t> out;
  for (const auto& frame : HostFrames()) out.push_back(frame.front());
  return out;
}

unsigned long CameraTest::FilterReferences() {
  IBaseFilter* filter = g_ksTransport.cameraFilter;
  if (filter == nullptr) return 0;
  unsigned long references = filter->AddRef();
  filter->Release();
  return references - 1;
}

}  // namespace sftest
