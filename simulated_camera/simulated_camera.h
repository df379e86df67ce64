#pragma once
// The simulated camera: a device provider of the platform layer that stands in for the USB
// camera. It models the controller's registers and serial-flash shift interface, the vendor
// extension unit (controls 1 to 5), the two fallback property sets of another camera driver and
// a serial flash chip with real protection and timing, and records every request and flash frame.
//
// Use in a test:
//   auto camera = simcam::SimulatedCamera::Create(config);   // or from ParseCameraConfig(text)
//   camera->Register();                                      // devices join the enumeration
//   ... run the code under test ...
//   EXPECT_EQ(camera->Requests()[0].payload, ...);
//   platform::ClearVideoInputDevices();                      // or camera->Unregister()
//
// Thread-safety: every member may be called from any thread; the model's state sits behind one
// mutex. COM objects handed out by the devices keep the model alive.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "simulated_camera/camera_config.h"
#include "simulated_camera/camera_trace.h"
#include "simulated_camera/flash_profile.h"
#include "simulated_camera/sample_firmware.h"

namespace simcam {

class CameraModel;  // the controller and flash, shared with the COM objects
class SimulatedDevice;

class SimulatedCamera {
 public:
  // Null (and *error set) when the flash file cannot be read or created.
  static std::shared_ptr<SimulatedCamera> Create(const CameraConfig& config, std::string* error = nullptr);
  ~SimulatedCamera();
  SimulatedCamera(const SimulatedCamera&) = delete;
  SimulatedCamera& operator=(const SimulatedCamera&) = delete;

  // Adds the configured devices to the platform's video-input registry, in order; Unregister
  // removes exactly those.
  void Register();
  void Unregister();

  const CameraConfig& Config() const;

  // Controller registers as stored (no side effects: no shift, no done-flag countdown).
  std::uint8_t Reg(std::uint16_t address) const;
  void SetReg(std::uint16_t address, std::uint8_t value);
  void SetMode(std::uint8_t mode);

  // Flash contents (the part's size) and status.
  std::vector<std::uint8_t> Flash() const;
  void SetFlash(std::span<const std::uint8_t> bytes, std::uint32_t offset = 0);  // raw, no protection
  std::uint8_t StatusRegister() const;           // busy bit computed on the platform clock
  void SetStatusRegister(std::uint8_t value);    // raw (bits 2 to 7)
  bool WriteProtectAsserted() const;             // the pin wired to WP# is at its protecting level
  bool ChipSelected() const;                     // 0x1091 holds 0
  bool HostAccess() const;                       // 0x1080 holds 1

  // Traces (empty while tracing is off).
  std::vector<RequestRecord> Requests() const;
  std::vector<SpiFrame> SpiFrames() const;
  std::uint64_t RequestCount() const;            // every request, traced or not
  void ClearTrace();
  void SetTracing(bool on);

  void AddFault(const Fault& fault);
  void ClearFaults();

 private:
  SimulatedCamera() = default;
  std::shared_ptr<CameraModel> model_;
  std::vector<std::shared_ptr<SimulatedDevice>> devices_;
};

// Registers a simulated camera when FLARNEX_SIMULATED_CAMERA holds a configuration text. True
// when one was registered; false otherwise, with *error empty when the variable is absent and
// naming the bad item when the text is wrong. The camera lives until process end.
bool RegisterFromEnvironment(std::string* error);
// The camera RegisterFromEnvironment registered, or null.
std::shared_ptr<SimulatedCamera> EnvironmentCamera();

inline constexpr const char* kEnvironmentVariable = "FLARNEX_SIMULATED_CAMERA";

}  // namespace simcam
