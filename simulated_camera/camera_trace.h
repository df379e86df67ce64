#pragma once
// What the simulated camera records (every request it received, every serial-flash frame its
// flash saw) and the faults a test can inject.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/com/hresult.h"

namespace simcam {

// One kernel-streaming request that reached the camera (or a foreign webcam's filter).
struct RequestRecord {
  enum class Via { ExtensionUnit, FallbackA, FallbackB };
  enum class Kind { Set, Get, SetSupport };
  Via via = Via::ExtensionUnit;
  Kind kind = Kind::Set;
  std::uint32_t control = 0;           // property id: the control selector 1 to 5, 0 for the probe
  std::uint32_t nodeId = 0;            // KSP_NODE.NodeId (0 for the fallback sets)
  std::vector<std::uint8_t> payload{};   // bytes sent for a SET, reply bytes for a GET
  HRESULT result = S_OK;
  int device = 0;                      // index of the device in CameraConfig::devices
};

// One chip-select cycle as the serial flash saw it.
struct SpiFrame {
  std::uint8_t opcode = 0;
  std::vector<std::uint8_t> in{};        // bytes shifted out by the host after the opcode
  std::vector<std::uint8_t> out{};       // bytes the host shifted in (receives)
  bool executed = false;               // the flash acted on the command (not dropped, refused or busy)
  bool fromFirmware = false;           // sent by the controller's own program/read path (control 3)
};

// Which requests a FailRequest fault matches; an empty field matches anything.
struct RequestMatch {
  std::optional<std::uint32_t> control{};        // property id
  std::optional<RequestRecord::Kind> kind{};
  std::optional<std::uint16_t> address{};        // payload bytes 0 and 1 (low first) of controls 1, 3, 4
  std::optional<RequestRecord::Via> via{};
};

struct Fault {
  enum class Kind {
    FailRequest,        // the nth matching request (1-based, counted from its start) and `repeat` more fail
    Disconnect,         // every request fails (device not connected)
    BusyStuck,          // the flash reports busy forever
    DoneStuck,          // the shift interface's done flag (0x1084) reads 0 forever
    EraseIgnored,       // chip erase is accepted (busy time included) but changes nothing
    ErasePartial,       // chip erase leaves [address, address + length) as it was
    ProgramBitError,    // programming [address, address + length) leaves `bits` set (they stay 1)
    ReadError,          // firmware reads of [address, address + length) come back XOR `bits`
    RegisterReadFails,  // control-1 reads of `reg` fail
    RegisterWriteFails, // control-1 writes of `reg` fail
  };
  Kind kind = Kind::FailRequest;
  RequestMatch match{};
  unsigned nth = 1;
  unsigned repeat = 0;                 // further matching requests that fail after the nth; ~0u = all
  HRESULT status = HRESULT_FROM_WIN32_GEN_FAILURE;
  unsigned afterRequests = 0;          // every kind: the fault starts after this many more requests
  std::uint32_t address = 0;           // flash address (bank bit 16 included)
  std::uint32_t length = 1;
  std::uint8_t bits = 0x01;
  std::uint16_t reg = 0;
};

}  // namespace simcam
