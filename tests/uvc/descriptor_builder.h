#pragma once
// USB descriptors as a camera sends them, built piece by piece for tests; each piece's bLength is
// its own size unless a test overwrites it.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/com/guid.h"

namespace uvc_test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kVideoControl = 0x01;    // interface subclasses
constexpr std::uint8_t kVideoStreaming = 0x02;

Bytes Join(std::initializer_list<Bytes> pieces);
Bytes WireGuid(const GUID& guid);

Bytes DeviceDescriptor();
Bytes Configuration(std::uint8_t value);
Bytes Interface(std::uint8_t number, std::uint8_t alternate, std::uint8_t subclass);
Bytes Association(std::uint8_t firstInterface, std::uint8_t count);
Bytes Endpoint();
// Class-specific VideoControl descriptors.
Bytes VcHeader(std::initializer_list<std::uint8_t> streamingInterfaces);
Bytes CameraTerminal(std::uint8_t id, std::uint8_t controlSize = 3);
Bytes OutputTerminal(std::uint8_t id, std::uint8_t source);
Bytes SelectorUnit(std::uint8_t id, std::initializer_list<std::uint8_t> sources);
Bytes ProcessingUnit(std::uint8_t id, std::uint8_t source, std::uint8_t controlSize = 2);
Bytes ExtensionUnit(std::uint8_t id, const GUID& guid, const Bytes& controls, const Bytes& sources = {1});
Bytes ClassDescriptor(std::uint8_t subtype, std::size_t size);  // any other CS_INTERFACE subtype, zero-filled

// A streaming interface's class descriptor of subtype 0x06 (a format there) that has the exact shape
// of an extension unit with this tool's GUID, unit id kLookalikeId.
constexpr std::uint8_t kLookalikeId = 0x77;
Bytes StreamingLookalike();

// A whole camera: device descriptor, one configuration with an interface association, VideoControl
// interface 0 with the given entities and its interrupt endpoint, and streaming interface 1 (with
// the lookalike) in two alternate settings.
Bytes CameraDescriptors(std::initializer_list<Bytes> entities, std::uint8_t configuration = 1);

}  // namespace uvc_test
