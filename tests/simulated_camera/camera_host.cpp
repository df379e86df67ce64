#include "camera_host.h"

#include <algorithm>

#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"

namespace simcam::testing {

CameraHost::CameraHost(std::size_t index, std::uint32_t nodeId) : nodeId_(nodeId) {
  auto devices = platform::RegisteredVideoInputDevices();
  if (index >= devices.size()) return;
  if (devices[index]->BindFilter(filter_.Put()) != S_OK) return;
  filter_->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(control_.Put()));
}

CameraHost::~CameraHost() = default;

HRESULT CameraHost::Request(std::uint32_t control, ULONG flags, std::vector<std::uint8_t>& data) {
  if (!control_) return E_NOINTERFACE;
  KSP_NODE node{.Property = {.Set = PROPSETID_EXTENSION_UNIT, .Id = control, .Flags = flags | KSPROPERTY_TYPE_TOPOLOGY},
                .NodeId = nodeId_,
                .Reserved = 0};
  ULONG returned = 0;
  return control_->KsProperty(&node.Property, sizeof node, data.data(), static_cast<ULONG>(data.size()), &returned);
}

bool CameraHost::WriteReg(std::uint16_t reg, std::uint8_t value) {
  return Set(1, {static_cast<std::uint8_t>(reg), static_cast<std::uint8_t>(reg >> 8), value, 0x00}) == S_OK;
}

bool CameraHost::ReadReg(std::uint16_t reg, std::uint8_t* value) {
  if (Set(1, {static_cast<std::uint8_t>(reg), static_cast<std::uint8_t>(reg >> 8), 0x00, 0xFF}) != S_OK) return false;
  std::vector<std::uint8_t> reply(4, 0);
  if (Get(1, reply) != S_OK) return false;
  *value = reply[2];
  return true;
}

std::uint8_t CameraHost::Reg(std::uint16_t reg) {
  std::uint8_t value = 0xEE;
  ReadReg(reg, &value);
  return value;
}

void CameraHost::Send(std::uint8_t byte) {
  WriteReg(0x1082, byte);
  WriteReg(0x1081, 1);
  Reg(0x1084);
}

std::uint8_t CameraHost::Receive() {
  WriteReg(0x1083, 0);
  WriteReg(0x1081, 2);
  Reg(0x1084);
  return Reg(0x1083);
}

std::vector<std::uint8_t> CameraHost::Frame(const std::vector<std::uint8_t>& send, unsigned replies) {
  Select();
  for (std::uint8_t b : send) Send(b);
  std::vector<std::uint8_t> answer;
  for (unsigned i = 0; i < replies; ++i) answer.push_back(Receive());
  Release();
  return answer;
}

bool CameraHost::WaitIdle(unsigned polls) {
  for (unsigned i = 0; i < polls; ++i) {
    if ((Frame({0x05}, 1)[0] & 1) == 0) return true;
    Sleep(1);
  }
  return false;
}

bool CameraHost::Write8(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
  // Laid into a payload of its final size: growing a three-byte vector by insert makes GCC 12
  // see a write past its end under the thread sanitizer.
  std::vector<std::uint8_t> payload(11, 0);
  payload[0] = static_cast<std::uint8_t>(address);
  payload[1] = static_cast<std::uint8_t>(address >> 8);
  payload[2] = (address & 0x10000) ? 0x18 : 0x08;
  std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), payload.size() - 3), payload.begin() + 3);
  return Set(3, payload) == S_OK;
}

bool CameraHost::Read8(std::uint32_t address, std::vector<std::uint8_t>* bytes) {
  std::vector<std::uint8_t> payload(11, 0);
  payload[0] = static_cast<std::uint8_t>(address);
  payload[1] = static_cast<std::uint8_t>(address >> 8);
  payload[2] = (address & 0x10000) ? 0x98 : 0x88;
  if (Set(3, payload) != S_OK) return false;
  std::vector<std::uint8_t> reply(11, 0);
  if (Get(3, reply) != S_OK) return false;
  bytes->assign(reply.begin() + 3, reply.begin() + 11);
  return true;
}

}  // namespace simcam::testing
