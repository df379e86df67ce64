#pragma once
// The camera's controller behind its driver: the registers, the serial-flash shift interface,
// the GPIO pin wired to the flash's write-protect input, the firmware's own flash paths behind
// extension-unit control 3, controls 1 to 5, the two fallback property sets, faults and traces.
// Every entry point takes the one mutex; the COM objects of camera_devices.cpp call in here.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/devices/kernel_streaming.h"
#include "simulated_camera/camera_config.h"
#include "simulated_camera/camera_trace.h"
#include "simulated_camera/flash_store.h"
#include "simulated_camera/request_pacer.h"
#include "simulated_camera/spi_flash.h"

namespace simcam {

class CameraModel {
 public:
  explicit CameraModel(const CameraConfig& config);
  bool Initialise(std::string* error);  // loads the flash contents (and its file)

  // A request through a filter's IKsControl (node < 0) or a node instance's (node = its index).
  HRESULT KsProperty(int device, int node, const KSPROPERTY* property, ULONG propertyLength, void* data,
                     ULONG dataLength, ULONG* bytesReturned);
  // IKsPropertySet::Set / Get on the fallback sets.
  HRESULT FallbackCall(int device, bool set, REFGUID propertySet, DWORD id, void* data, DWORD dataLength,
                       DWORD* bytesReturned);
  HRESULT FallbackSupport(int device, REFGUID propertySet, DWORD id, DWORD* support);

  const CameraConfig& Config() const { return config_; }

  std::uint8_t Reg(std::uint16_t address) const;
  void SetReg(std::uint16_t address, std::uint8_t value);
  void SetMode(std::uint8_t mode);
  std::vector<std::uint8_t> Flash() const;
  void SetFlash(const std::uint8_t* bytes, std::size_t size, std::uint32_t offset);
  std::uint8_t StatusRegister() const;
  void SetStatusRegister(std::uint8_t value);
  bool WriteProtectAsserted() const;
  bool ChipSelected() const;
  bool HostAccess() const;
  std::vector<RequestRecord> Requests() const;
  std::vector<SpiFrame> SpiFrames() const;
  std::uint64_t RequestCount() const;
  void ClearTrace();
  void SetTracing(bool on);
  void AddFault(const Fault& fault);
  void ClearFaults();

 private:
  struct ActiveFault {
    Fault fault;
    std::uint64_t matched = 0;        // FailRequest: matching requests seen while live
    std::uint64_t addedAt = 0;        // request count when added
    bool live = false;                // its afterRequests have passed
  };
  struct Request {
    int device;
    RequestRecord::Via via;
    RequestRecord::Kind kind;
    std::uint32_t control;
    std::uint32_t nodeId;
    std::uint8_t* data;
    ULONG length;
  };

  // Sleeps until the request just received is due (see RequestPacer); outside mutex_.
  void WaitForRequestLatency();

  // All below run with mutex_ held.
  HRESULT Dispatch(const Request& request);
  HRESULT Control1(const Request& request);
  HRESULT Control3(const Request& request);
  HRESULT Control4(const Request& request);
  HRESULT Control5(const Request& request);
  std::optional<HRESULT> InjectedFailure(const Request& request);
  bool Disconnected() const;
  void StartDueFaults();
  void Record(const Request& request, HRESULT result);
  std::uint16_t AnswerNode() const;

  std::uint8_t ReadRegister(std::uint16_t address);
  void WriteRegister(std::uint16_t address, std::uint8_t value);
  void UpdateChipSelect();
  bool PinAsserted() const;
  void RebuildFlashFaults();

  void FirmwareProgram(std::uint32_t address, const std::uint8_t* bytes, unsigned count);
  void FirmwareRead(std::uint32_t address, std::uint8_t* bytes, unsigned count);
  void FirmwareFrame(const std::vector<std::uint8_t>& send, unsigned receive, std::uint8_t* into);

  const CameraConfig config_;
  std::mutex pacerMutex_;
  RequestPacer pacer_;
  mutable std::mutex mutex_;
  std::array<std::uint8_t, 0x10000> registers_{};
  FlashStore store_;
  FlashFaults flashFaults_;
  SpiFlash flash_;
  std::uint8_t mode_;

  bool chipSelectLine_ = false;       // host access on and 0x1091 at 0
  unsigned donePollsLeft_ = 0;         // reads of 0x1084 before it reads 1
  bool doneStuck_ = false;
  std::uint16_t latchedRegister_ = 0;  // control 1 read address
  std::uint16_t fallbackRegister_ = 0; // fallback operation 2 address
  std::uint32_t readPosition_ = 0;     // control 3, 17 bits
  unsigned readCount_ = 0;
  std::uint16_t control4Address_ = 0;

  std::vector<ActiveFault> faults_;
  std::uint64_t requestCount_ = 0;
  bool tracing_;
  std::vector<RequestRecord> requests_;
  std::vector<SpiFrame> frames_;
};

}  // namespace simcam
