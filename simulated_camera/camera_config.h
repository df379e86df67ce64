#pragma once
// Everything about the simulated camera that a test or the tool can choose: the devices that the
// video-input enumeration offers, the camera's topology, its controller, its flash and its timing.
// ParseCameraConfig reads the one-line text form ("chip=0x32,flash=MX25L1005,firmware=sample").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "simulated_camera/flash_profile.h"
#include "simulated_camera/sample_firmware.h"

namespace simcam {

enum class DeviceKind {
  Camera,         // the camera: its filter reaches the controller model
  ForeignWebcam,  // binds as a filter, but refuses the extension-unit requests and the fallback sets
};

// One video-input device of the enumeration, with its own failures.
struct DeviceSpec {
  DeviceKind kind = DeviceKind::Camera;
  std::wstring friendlyName = L"USB Camera";
  std::wstring devicePath = L"\\\\?\\usb#vid_1d6b&pid_0102&mi_00#6&2a1c3f0&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
  HRESULT bindToStorage = S_OK;      // IMoniker::BindToStorage
  HRESULT friendlyNameRead = S_OK;   // "FriendlyName" Read
  HRESULT devicePathRead = S_OK;     // "DevicePath" Read
  HRESULT bindToObject = S_OK;       // IMoniker::BindToObject
  std::vector<GUID> refusedInterfaces{};  // the filter's QueryInterface refuses these (E_NOINTERFACE)
};

enum class FallbackSupport { None, SetA, SetB };  // which fallback property set the camera answers

enum class Control4Behaviour {
  Normal,    // count in byte 2 (Control4Config::count), eight flash bytes from byte 3
  Refuse,    // every control-4 SET fails
  CountZero, // the GET answers count 0
};
struct Control4Config {
  Control4Behaviour behaviour = Control4Behaviour::Normal;
  std::uint8_t count = 8;                     // reply byte 2 under Normal (above 8 is allowed)
  std::optional<std::uint16_t> failAddress{};  // control-4 requests for this address fail
};

enum class FlashContents {
  Sample,  // MakeSampleFirmware for the chip ID (flash starts protected)
  Erased,  // all 0xFF
  Bytes,   // CameraConfig::flashBytes (padded with 0xFF, cut to the part size)
};

struct CameraConfig {
  // Devices in enumeration order. Every Camera entry reaches the same controller model.
  std::vector<DeviceSpec> devices = {DeviceSpec{}};

  // Camera topology: node types by index; the extension unit is the device-specific node at
  // extensionUnitNode (-1: none) and answers the support probe with supportProbe. Requests are
  // answered on the extension unit's node id, or on answerNodeId when there is no such node.
  std::vector<GUID> nodeTypes = {KSNODETYPE_VIDEO_PROCESSING, KSNODETYPE_VIDEO_PROCESSING, KSNODETYPE_DEV_SPECIFIC};
  int extensionUnitNode = 2;
  HRESULT supportProbe = S_OK;
  std::uint32_t answerNodeId = 1;
  FallbackSupport fallback = FallbackSupport::None;

  // Controller.
  std::uint8_t chipId = 0x32;                  // register 0x101F
  std::uint8_t reg3C5 = 0x00;                  // 3 asks the library for one-byte transfers
  std::uint16_t baseAddress = 0x0A00;          // control 5, bytes 0 and 1
  std::uint8_t mode = 1;                       // control 5, byte 2; 2: the firmware keeps the status register clear
  std::optional<std::uint32_t> flashPointer;   // registers base + 0x0F..0x12; default: config address - 0x34
  unsigned donePolls = 1;                      // reads of 0x1084 after a shift until it reads 1 (0: never)
  std::uint8_t wpPin = 2;                      // GPIO bit (0x1006 level, 0x1007 output enable) wired to WP#
  bool wpActiveLow = true;                     // the pin protects at level 0 (and idles there, pulled down)
  Control4Config control4;

  // Flash.
  FlashProfile flash;                          // default: MX25L1005
  FlashContents contents = FlashContents::Sample;
  std::vector<std::uint8_t> flashBytes;        // for FlashContents::Bytes
  FirmwareStrings strings;                     // for FlashContents::Sample
  std::optional<std::uint8_t> wpConfigByte;    // for the sample; default WriteProtectConfigByteFor(pin, polarity)
  bool startProtected = true;                  // status register starts with block protect and lock set
  std::string flashFile;                       // when set: flash loaded from / persisted to this file

  // Time and observability.
  unsigned latencyUs = 0;                      // real-clock time per request, on average (benchmarks, demo)
  // Record requests and serial-flash frames. Off unless asked for: a burn makes hundreds of
  // thousands of requests, and a long-running tool would keep every one.
  bool trace = false;

  CameraConfig();
};

// Reads "key=value,key=value". Keys: chip, flash, firmware (sample|erased), flash_file,
// latency_us, mode, base, pointer, reg3c5, done_polls, wp_pin, wp_polarity (low|high), wp_cfg,
// xu_node (index or none), answer_node, probe (ok|false|fail), nodes (count of nodes),
// fallback (none|a|b), control4 (ok|refuse|zero|count:N|fail:ADDR), devices (camera|foreign list
// joined by '+'), trace (on|off), protected (yes|no), tag, first, second, third.
// On a bad item: nullopt and *error names it.
std::optional<CameraConfig> ParseCameraConfig(std::string_view text, std::string* error);

}  // namespace simcam
