#pragma once
// The extension-unit transport: the library's only road to the camera. It binds the first usable
// video-input device, finds the vendor extension unit among the filter's topology nodes and sends
// it kernel-streaming property requests. One camera at a time; the device-slot arguments are
// accepted and ignored.
#include <cstdint>

#include "platform/devices/enumeration_interfaces.h"
#include "platform/devices/kernel_streaming.h"

// Size of the device path buffer, terminator included.
constexpr std::uint32_t kKsDevicePathSize = 256;

// Transport state, shared by the whole library.
struct KsTransportState {
  IBaseFilter* cameraFilter = nullptr;  // held between enumeration and close
  ULONG nodeId = 0;                     // extension-unit node carried by every request
  char devicePath[kKsDevicePathSize] = {};
  std::uint8_t writeBankFlag = 0;       // 1: flash writes go to the upper 64 KB
  std::uint8_t readBankFlag = 0;        // 1: read-address requests select the upper 64 KB
};
extern KsTransportState g_ksTransport;

// 0 camera bound and path read; 1 enumerator or category failed, or no video-input device;
// 2 devices present but none bound; any other value: the failing status of the "DevicePath" read.
int KsEnumerateCamera(int slot);
// 1 opened, 0, -1 or -2, mapped from KsEnumerateCamera.
int KsOpenResult(int slot);
// Writes *nodeId only when a device-specific node accepts the support probe.
bool KsFindExtensionUnitNode(ULONG* nodeId);
// Releases the camera and uninitialises COM on the calling thread; always true.
bool KsClose();
const char* KsGetDevicePath();

bool KsWriteRegister(int slot, std::uint16_t reg, std::uint8_t value);
bool KsReadRegister(int slot, std::uint16_t reg, std::uint8_t* value);
// Control 2. The flags byte gives the payload count; counts beyond what the request (5 bytes to
// write) or the reply (6 bytes to read) can hold are refused without a request.
bool KsWriteControl2(std::uint8_t id, std::uint8_t flags, const std::uint8_t* source);
bool KsReadControl2(std::uint8_t id, std::uint8_t flags, std::uint8_t* buffer);
// Writes min(count, 8) bytes; clears the read bank flag and may set the write bank flag.
bool KsFlashWrite(int slot, std::uint16_t address, std::uint8_t count, const std::uint8_t* source);
bool KsFlashSetReadAddress(int slot, std::uint16_t address, std::uint8_t count);
// Always stores eight bytes into destination, and only on success.
bool KsFlashReadData(int slot, std::uint8_t* destination);
bool KsControl3CommandC8();
// Copies at most eight reply bytes into destination, however many the reply announces.
bool KsReadControl4(int slot, std::uint16_t address, std::uint8_t* destination);
bool KsReadControl5Byte(int slot, std::uint8_t* mode);
bool KsReadControl5Word(int slot, std::uint16_t* base);
bool KsControl3Command40(int slot, std::uint8_t byteArg, std::uint16_t wordArg);

// Releases a held filter and clears the transport state, without touching COM.
void KsResetTransportForTest();
