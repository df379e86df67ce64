// Extension-unit requests: controls 1 to 5 as kernel-streaming property requests on the node.
#include <algorithm>
#include <cstring>

#include "serial_flash/camera_protocol.h"
#include "serial_flash/ks_transport.h"

KsTransportState g_ksTransport;

namespace {

// Control 2 room: bytes 2 to 6 of a write request, bytes 2 to 7 of a reply.
constexpr unsigned kShortWriteRoom = 5;
constexpr unsigned kShortReadRoom = 6;

constexpr std::uint16_t kLastLowerBlock = 0xFFF8;  // last eight bytes of the lower 64 KB
constexpr unsigned kControl4Room = 8;  // bytes the destination holds

// The IKsControl of one transport call: obtained once from the camera filter and released on
// every path when the call returns.
class RequestChannel {
 public:
  RequestChannel() {
    IBaseFilter* filter = g_ksTransport.cameraFilter;
    if (filter == nullptr) return;
    void* raw = nullptr;
    if (filter->QueryInterface(IID_IKsControl, &raw) == S_OK) control_ = static_cast<IKsControl*>(raw);
    else if (raw != nullptr) static_cast<IUnknown*>(raw)->Release();
  }
  ~RequestChannel() {
    if (control_ != nullptr) control_->Release();
  }
  RequestChannel(const RequestChannel&) = delete;
  RequestChannel& operator=(const RequestChannel&) = delete;

  bool Usable() const { return control_ != nullptr; }

  // Only S_OK counts: S_FALSE and every other success code fail the request.
  bool Send(ULONG control, ULONG flags, std::uint8_t* data, ULONG length) {
    KSP_NODE property = XuProperty(control, flags, g_ksTransport.nodeId);
    ULONG returned = 0;
    return control_->KsProperty(&property.Property, sizeof property, data, length, &returned) == S_OK;
  }

  // A reading control: SET of the request, then GET of the same length into a zeroed reply.
  bool Exchange(ULONG control, std::uint8_t* request, std::uint8_t* reply, ULONG length) {
    if (!Send(control, kXuSet, request, length)) return false;
    std::memset(reply, 0, length);
    return Send(control, kXuGet, reply, length);
  }

 private:
  IKsControl* control_ = nullptr;
};

std::uint8_t Low(std::uint16_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
std::uint8_t High(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }

// Payload count of control 2: low nibble + 1, one more when the high nibble is 2.
unsigned ShortPayloadCount(std::uint8_t flags) {
  return (flags & 0x0Fu) + 1u + ((flags & 0xF0u) == 0x20u ? 1u : 0u);
}

}  // namespace

bool KsWriteRegister(int, std::uint16_t reg, std::uint8_t value) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuRegisterLength] = {Low(reg), High(reg), value, kXuDirectionWrite};
  return channel.Send(kXuControlRegister, kXuSet, request, kXuRegisterLength);
}

bool KsReadRegister(int, std::uint16_t reg, std::uint8_t* value) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuRegisterLength] = {Low(reg), High(reg), 0x00, kXuDirectionRead};
  std::uint8_t reply[kXuRegisterLength];
  if (!channel.Exchange(kXuControlRegister, request, reply, kXuRegisterLength)) return false;
  *value = reply[2];
  return true;
}

bool KsWriteControl2(std::uint8_t id, std::uint8_t flags, const std::uint8_t* source) {
  unsigned count = ShortPayloadCount(flags);
  if (count > kShortWriteRoom) return false;
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuShortLength] = {id, flags};
  std::memcpy(request + 2, source, count);
  request[7] = kXuDirectionWrite;
  return channel.Send(kXuControlShort, kXuSet, request, kXuShortLength);
}

bool KsReadControl2(std::uint8_t id, std::uint8_t flags, std::uint8_t* buffer) {
  unsigned count = ShortPayloadCount(flags);
  if (count > kShortReadRoom) return false;
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuShortLength] = {id, flags, buffer[0]};
  if ((flags & 0xF0u) == 0x20u) request[3] = buffer[1];
  request[7] = kXuDirectionRead;
  std::uint8_t reply[kXuShortLength];
  if (!channel.Exchange(kXuControlShort, request, reply, kXuShortLength)) return false;
  std::memcpy(buffer, reply + 2, count);
  return true;
}

bool KsFlashWrite(int, std::uint16_t address, std::uint8_t count, const std::uint8_t* source) {
  // Any write ends a read run in the upper bank, even one that sends nothing.
  g_ksTransport.readBankFlag = 0;
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t carried = std::min(count, kFlashCommandMaxCount);
  std::uint8_t command = carried;
  // The write of the last lower block still goes low; every write after it goes high.
  if (g_ksTransport.writeBankFlag != 0) command = kFlashCommandWriteUpper;
  else if (address == kLastLowerBlock) g_ksTransport.writeBankFlag = 1;
  // Bytes beyond the count are 0xFF: the upper-bank command carries eight bytes whatever the
  // count, and 0xFF programs nothing.
  std::uint8_t request[kXuWideLength];
  std::memset(request, 0xFF, sizeof request);
  request[0] = Low(address);
  request[1] = High(address);
  request[2] = command;
  if (carried > 0) std::memcpy(request + kXuFlashDataOffset, source, carried);
  request[11] = 0;
  return channel.Send(kXuControlFlash, kXuSet, request, kXuWideLength);
}

bool KsFlashSetReadAddress(int, std::uint16_t address, std::uint8_t count) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t command = g_ksTransport.readBankFlag != 0
                             ? kFlashCommandReadUpper
                             : static_cast<std::uint8_t>(kFlashCommandRead | std::min(count, kFlashCommandMaxCount));
  std::uint8_t request[kXuWideLength] = {Low(address), High(address), command};
  return channel.Send(kXuControlFlash, kXuSet, request, kXuWideLength);
}

bool KsFlashReadData(int, std::uint8_t* destination) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t reply[kXuWideLength] = {};
  if (!channel.Send(kXuControlFlash, kXuGet, reply, kXuWideLength)) return false;
  std::memcpy(destination, reply + kXuFlashDataOffset, kFlashCommandMaxCount);
  return true;
}

bool KsControl3CommandC8() {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuWideLength] = {0x00, 0x00, kFlashCommandC8};
  return channel.Send(kXuControlFlash, kXuSet, request, kXuWideLength);
}

bool KsControl3Command40(int, std::uint8_t byteArg, std::uint16_t wordArg) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuWideLength] = {0x00, 0x00, kFlashCommand40, byteArg, Low(wordArg), High(wordArg)};
  return channel.Send(kXuControlFlash, kXuSet, request, kXuWideLength);
}

bool KsReadControl4(int, std::uint16_t address, std::uint8_t* destination) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kXuWideLength] = {Low(address), High(address), kBlockReadCount};
  std::uint8_t reply[kXuWideLength];
  if (!channel.Exchange(kXuControlBlockRead, request, reply, kXuWideLength)) return false;
  // A count beyond the eight bytes asked for is cut: the destination holds eight.
  unsigned count = std::min<unsigned>(reply[2], kControl4Room);
  if (count > 0) std::memcpy(destination, reply + kXuFlashDataOffset, count);
  return true;
}

bool KsReadControl5Byte(int, std::uint8_t* mode) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t reply[kXuWideLength] = {};
  if (!channel.Send(kXuControlStatus, kXuGet, reply, kXuWideLength)) return false;
  *mode = reply[2];
  return true;
}

bool KsReadControl5Word(int, std::uint16_t* base) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t reply[kXuWideLength] = {};
  if (!channel.Send(kXuControlStatus, kXuGet, reply, kXuWideLength)) return false;
  *base = static_cast<std::uint16_t>(reply[0] | (reply[1] << 8));
  return true;
}
