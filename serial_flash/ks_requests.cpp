// Extension-unit requests: controls 1 to 5 as kernel-streaming property requests on the node.
#include <algorithm>
#include <cstring>

#include "serial_flash/ks_transport.h"

KsTransportState g_ksTransport;

namespace {

// Control selectors of the extension unit.
constexpr ULONG kControlRegister = 1;
constexpr ULONG kControlShort = 2;
constexpr ULONG kControlFlash = 3;
constexpr ULONG kControlBlockRead = 4;
constexpr ULONG kControlStatus = 5;

constexpr ULONG kFlagsSet = KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kFlagsGet = KSPROPERTY_TYPE_GET | KSPROPERTY_TYPE_TOPOLOGY;

constexpr ULONG kRegisterLength = 4;   // bytes
constexpr ULONG kShortLength = 8;      // bytes
constexpr ULONG kWideLength = 12;      // bytes, controls 3 to 5

constexpr std::uint8_t kDirectionWrite = 0x00;
constexpr std::uint8_t kDirectionRead = 0xFF;

// Control 2 room: bytes 2 to 6 of a write request, bytes 2 to 7 of a reply.
constexpr unsigned kShortWriteRoom = 5;
constexpr unsigned kShortReadRoom = 6;

// Control 3 command byte: bit 7 read, bit 4 upper bank, bits 0-3 count.
constexpr std::uint8_t kFlashReadBit = 0x80;
constexpr std::uint8_t kFlashUpperWrite = 0x18;
constexpr std::uint8_t kFlashUpperRead = 0x98;
constexpr std::uint8_t kFlashMaxCount = 8;
constexpr std::uint16_t kLastLowerBlock = 0xFFF8;  // last eight bytes of the lower 64 KB
constexpr std::uint8_t kCommandC8 = 0xC8;
constexpr std::uint8_t kCommand40 = 0x40;

constexpr std::uint8_t kControl4Count = 0x08;
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
    KSP_NODE property{};
    property.Property.Set = PROPSETID_EXTENSION_UNIT;
    property.Property.Id = control;
    property.Property.Flags = flags;
    property.NodeId = g_ksTransport.nodeId;
    property.Reserved = 0;
    ULONG returned = 0;
    return control_->KsProperty(&property.Property, sizeof property, data, length, &returned) == S_OK;
  }

  // A reading control: SET of the request, then GET of the same length into a zeroed reply.
  bool Exchange(ULONG control, std::uint8_t* request, std::uint8_t* reply, ULONG length) {
    if (!Send(control, kFlagsSet, request, length)) return false;
    std::memset(reply, 0, length);
    return Send(control, kFlagsGet, reply, length);
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
  std::uint8_t request[kRegisterLength] = {Low(reg), High(reg), value, kDirectionWrite};
  return channel.Send(kControlRegister, kFlagsSet, request, kRegisterLength);
}

bool KsReadRegister(int, std::uint16_t reg, std::uint8_t* value) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kRegisterLength] = {Low(reg), High(reg), 0x00, kDirectionRead};
  std::uint8_t reply[kRegisterLength];
  if (!channel.Exchange(kControlRegister, request, reply, kRegisterLength)) return false;
  *value = reply[2];
  return true;
}

bool KsWriteControl2(std::uint8_t id, std::uint8_t flags, const std::uint8_t* source) {
  unsigned count = ShortPayloadCount(flags);
  if (count > kShortWriteRoom) return false;
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kShortLength] = {id, flags};
  std::memcpy(request + 2, source, count);
  request[7] = kDirectionWrite;
  return channel.Send(kControlShort, kFlagsSet, request, kShortLength);
}

bool KsReadControl2(std::uint8_t id, std::uint8_t flags, std::uint8_t* buffer) {
  unsigned count = ShortPayloadCount(flags);
  if (count > kShortReadRoom) return false;
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kShortLength] = {id, flags, buffer[0]};
  if ((flags & 0xF0u) == 0x20u) request[3] = buffer[1];
  request[7] = kDirectionRead;
  std::uint8_t reply[kShortLength];
  if (!channel.Exchange(kControlShort, request, reply, kShortLength)) return false;
  std::memcpy(buffer, reply + 2, count);
  return true;
}

bool KsFlashWrite(int, std::uint16_t address, std::uint8_t count, const std::uint8_t* source) {
  // Any write ends a read run in the upper bank, even one that sends nothing.
  g_ksTransport.readBankFlag = 0;
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t carried = std::min(count, kFlashMaxCount);
  std::uint8_t command = carried;
  // The write of the last lower block still goes low; every write after it goes high.
  if (g_ksTransport.writeBankFlag != 0) command = kFlashUpperWrite;
  else if (address == kLastLowerBlock) g_ksTransport.writeBankFlag = 1;
  // Bytes beyond the count are 0xFF: the upper-bank command carries eight bytes whatever the
  // count, and 0xFF programs nothing.
  std::uint8_t request[kWideLength];
  std::memset(request, 0xFF, sizeof request);
  request[0] = Low(address);
  request[1] = High(address);
  request[2] = command;
  if (carried > 0) std::memcpy(request + 3, source, carried);
  request[11] = 0;
  return channel.Send(kControlFlash, kFlagsSet, request, kWideLength);
}

bool KsFlashSetReadAddress(int, std::uint16_t address, std::uint8_t count) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t command = g_ksTransport.readBankFlag != 0
                             ? kFlashUpperRead
                             : static_cast<std::uint8_t>(kFlashReadBit | std::min(count, kFlashMaxCount));
  std::uint8_t request[kWideLength] = {Low(address), High(address), command};
  return channel.Send(kControlFlash, kFlagsSet, request, kWideLength);
}

bool KsFlashReadData(int, std::uint8_t* destination) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t reply[kWideLength] = {};
  if (!channel.Send(kControlFlash, kFlagsGet, reply, kWideLength)) return false;
  std::memcpy(destination, reply + 3, kFlashMaxCount);
  return true;
}

bool KsControl3CommandC8() {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kWideLength] = {0x00, 0x00, kCommandC8};
  return channel.Send(kControlFlash, kFlagsSet, request, kWideLength);
}

bool KsControl3Command40(int, std::uint8_t byteArg, std::uint16_t wordArg) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kWideLength] = {0x00, 0x00, kCommand40, byteArg, Low(wordArg), High(wordArg)};
  return channel.Send(kControlFlash, kFlagsSet, request, kWideLength);
}

bool KsReadControl4(int, std::uint16_t address, std::uint8_t* destination) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t request[kWideLength] = {Low(address), High(address), kControl4Count};
  std::uint8_t reply[kWideLength];
  if (!channel.Exchange(kControlBlockRead, request, reply, kWideLength)) return false;
  // A count beyond the eight bytes asked for is cut: the destination holds eight.
  unsigned count = std::min<unsigned>(reply[2], kControl4Room);
  if (count > 0) std::memcpy(destination, reply + 3, count);
  return true;
}

bool KsReadControl5Byte(int, std::uint8_t* mode) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t reply[kWideLength] = {};
  if (!channel.Send(kControlStatus, kFlagsGet, reply, kWideLength)) return false;
  *mode = reply[2];
  return true;
}

bool KsReadControl5Word(int, std::uint16_t* base) {
  RequestChannel channel;
  if (!channel.Usable()) return false;
  std::uint8_t reply[kWideLength] = {};
  if (!channel.Send(kControlStatus, kFlagsGet, reply, kWideLength)) return false;
  *base = static_cast<std::uint16_t>(reply[0] | (reply[1] << 8));
  return true;
}
