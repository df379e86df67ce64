#pragma once
// A minimal host for the camera model's own tests: binds a registered device's filter and sends
// extension-unit requests and shift-interface byte sequences the way the tool does.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/com/unknown.h"
#include "platform/devices/enumeration_interfaces.h"
#include "platform/devices/kernel_streaming.h"
#include "simulated_camera/simulated_camera.h"

namespace simcam::testing {

class CameraHost {
 public:
  // Binds device `index` of the platform registry; nodeId is where requests go.
  explicit CameraHost(std::size_t index = 0, std::uint32_t nodeId = 2);
  ~CameraHost();

  HRESULT Request(std::uint32_t control, ULONG flags, std::vector<std::uint8_t>& data);
  HRESULT Set(std::uint32_t control, std::vector<std::uint8_t> data) { return Request(control, KSPROPERTY_TYPE_SET, data); }
  HRESULT Get(std::uint32_t control, std::vector<std::uint8_t>& data) { return Request(control, KSPROPERTY_TYPE_GET, data); }

  bool WriteReg(std::uint16_t reg, std::uint8_t value);
  bool ReadReg(std::uint16_t reg, std::uint8_t* value);
  std::uint8_t Reg(std::uint16_t reg);  // 0xEE when the read fails

  // Byte procedures of the shift interface (host access must be on for the flash to see them).
  void HostAccess(bool on) { WriteReg(0x1080, on ? 1 : 0); }
  void Select() { WriteReg(0x1091, 0); }
  void Release() { WriteReg(0x1091, 1); }
  void Send(std::uint8_t byte);
  std::uint8_t Receive();
  // Select, send, receive `replies` bytes, release.
  std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& send, unsigned replies = 0);
  // Polls 0x05 until bit 0 clears (with Sleep(1) between polls); false after `polls` polls.
  bool WaitIdle(unsigned polls = 10000);

  // The burner's eight-byte control-3 transfers (11-byte payload); bit 16 of the address picks the bank.
  bool Write8(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
  bool Read8(std::uint32_t address, std::vector<std::uint8_t>* bytes);

  IKsControl* Control() const { return control_.Get(); }
  IBaseFilter* Filter() const { return filter_.Get(); }

 private:
  platform::ComPtr<IBaseFilter> filter_;
  platform::ComPtr<IKsControl> control_;
  std::uint32_t nodeId_;
};

}  // namespace simcam::testing
