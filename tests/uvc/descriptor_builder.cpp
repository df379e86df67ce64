#include "tests/uvc/descriptor_builder.h"

namespace uvc_test {
namespace {

constexpr std::uint8_t kCsInterface = 0x24;

Bytes Sized(Bytes bytes) {
  bytes[0] = static_cast<std::uint8_t>(bytes.size());
  return bytes;
}

}  // namespace

Bytes Join(std::initializer_list<Bytes> pieces) {
  Bytes out;
  for (const Bytes& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
  return out;
}

Bytes WireGuid(const GUID& g) {
  Bytes out = {static_cast<std::uint8_t>(g.Data1),       static_cast<std::uint8_t>(g.Data1 >> 8),
               static_cast<std::uint8_t>(g.Data1 >> 16), static_cast<std::uint8_t>(g.Data1 >> 24),
               static_cast<std::uint8_t>(g.Data2),       static_cast<std::uint8_t>(g.Data2 >> 8),
               static_cast<std::uint8_t>(g.Data3),       static_cast<std::uint8_t>(g.Data3 >> 8)};
  out.insert(out.end(), g.Data4, g.Data4 + 8);
  return out;
}

Bytes DeviceDescriptor() {
  return Sized({0, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x6D, 0x04, 0x25, 0x08, 0x10, 0x00, 0x00, 0x02, 0x01, 0x01});
}
Bytes Configuration(std::uint8_t value) { return Sized({0, 0x02, 0xFF, 0xFF, 0x02, value, 0x00, 0x80, 0xFA}); }
Bytes Interface(std::uint8_t number, std::uint8_t alternate, std::uint8_t subclass) {
  return Sized({0, 0x04, number, alternate, 0x01, 0x0E, subclass, 0x00, 0x00});
}
Bytes Association(std::uint8_t firstInterface, std::uint8_t count) {
  return Sized({0, 0x0B, firstInterface, count, 0x0E, 0x03, 0x00, 0x00});
}
Bytes Endpoint() { return Sized({0, 0x05, 0x87, 0x03, 0x10, 0x00, 0x08}); }

Bytes VcHeader(std::initializer_list<std::uint8_t> streamingInterfaces) {
  Bytes out = {0, kCsInterface, 0x01, 0x00, 0x01, 0xFF, 0x00, 0x80, 0x8D, 0x5B, 0x00,
               static_cast<std::uint8_t>(streamingInterfaces.size())};
  out.insert(out.end(), streamingInterfaces);
  return Sized(out);
}
Bytes CameraTerminal(std::uint8_t id, std::uint8_t controlSize) {
  Bytes out = {0, kCsInterface, 0x02, id, 0x01, 0x02, 0x00, 0x00, 0, 0, 0, 0, 0, 0, controlSize};
  out.resize(out.size() + controlSize, 0x0A);
  return Sized(out);
}
Bytes OutputTerminal(std::uint8_t id, std::uint8_t source) {
  return Sized({0, kCsInterface, 0x03, id, 0x01, 0x01, 0x00, source, 0x00});
}
Bytes SelectorUnit(std::uint8_t id, std::initializer_list<std::uint8_t> sources) {
  Bytes out = {0, kCsInterface, 0x04, id, static_cast<std::uint8_t>(sources.size())};
  out.insert(out.end(), sources);
  out.push_back(0x00);
  return Sized(out);
}
Bytes ProcessingUnit(std::uint8_t id, std::uint8_t source, std::uint8_t controlSize) {
  Bytes out = {0, kCsInterface, 0x05, id, source, 0x00, 0x40, controlSize};
  out.resize(out.size() + controlSize, 0x5B);
  out.push_back(0x00);  // iProcessing
  out.push_back(0x00);  // bmVideoStandards
  return Sized(out);
}
Bytes ExtensionUnit(std::uint8_t id, const GUID& guid, const Bytes& controls, const Bytes& sources) {
  Bytes out = Join({{0, kCsInterface, 0x06, id}, WireGuid(guid)});
  out.push_back(static_cast<std::uint8_t>(controls.size() * 8));  // bNumControls, not relied on
  out.push_back(static_cast<std::uint8_t>(sources.size()));
  out.insert(out.end(), sources.begin(), sources.end());
  out.push_back(static_cast<std::uint8_t>(controls.size()));
  out.insert(out.end(), controls.begin(), controls.end());
  out.push_back(0x00);  // iExtension
  return Sized(out);
}
Bytes ClassDescriptor(std::uint8_t subtype, std::size_t size) {
  Bytes out(size, 0);
  out[1] = kCsInterface;
  out[2] = subtype;
  return Sized(out);
}

Bytes StreamingLookalike() { return ExtensionUnit(kLookalikeId, PROPSETID_EXTENSION_UNIT, {0x1F}); }

Bytes CameraDescriptors(std::initializer_list<Bytes> entities, std::uint8_t configuration) {
  Bytes out = Join({DeviceDescriptor(), Configuration(configuration), Association(0, 2),
                    Interface(0, 0, kVideoControl), VcHeader({1})});
  for (const Bytes& entity : entities) out.insert(out.end(), entity.begin(), entity.end());
  return Join({out, Endpoint(), Interface(1, 0, kVideoStreaming), ClassDescriptor(0x01, 14), StreamingLookalike(),
               Interface(1, 1, kVideoStreaming), Endpoint()});
}

}  // namespace uvc_test
