// Reading a VideoControl interface's units from descriptor bytes: a real webcam's bytes, the
// layouts cameras use, and malformed or hostile bytes, which are skipped or end the walk and are
// never read past.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/uvc/video_control_descriptors.h"
#include "tests/uvc/c270_descriptors.h"
#include "tests/uvc/descriptor_builder.h"

namespace uvc_test {
namespace {

using platform::uvc::EntityKind;
using platform::uvc::ParseVideoControl;
using platform::uvc::VideoControlEntity;

constexpr GUID kOtherGuid = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

std::string GuidText(const GUID& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

// "IT 1", "PU 2", "OT 5", "SU 9", "XU 3 {GUID} 1,2,9" (the selectors its bmControls lists).
std::string Describe(const VideoControlEntity& e) {
  switch (e.kind) {
    case EntityKind::InputTerminal: return "IT " + std::to_string(e.id);
    case EntityKind::OutputTerminal: return "OT " + std::to_string(e.id);
    case EntityKind::SelectorUnit: return "SU " + std::to_string(e.id);
    case EntityKind::ProcessingUnit: return "PU " + std::to_string(e.id);
    case EntityKind::ExtensionUnit: break;
  }
  std::string text = "XU " + std::to_string(e.id) + " {" + GuidText(e.extensionCode) + "}";
  std::string selectors;
  for (unsigned s = 1; s <= e.controls.size() * 8; ++s) {
    if (e.HasSelector(s)) selectors += (selectors.empty() ? " " : ",") + std::to_string(s);
  }
  return text + selectors;
}

std::vector<std::string> Parse(const Bytes& bytes, int configuration = 1, int interfaceNumber = 0) {
  const Bytes exact(bytes);  // a buffer of exactly this size, so a read past it shows under ASan
  std::vector<std::string> out;
  for (const VideoControlEntity& e : ParseVideoControl(exact, configuration, interfaceNumber)) out.push_back(Describe(e));
  return out;
}

const std::string kTool = "{28F03370-6311-4A2E-BA2C-6890EB334016}";
const std::string kOther = "{12345678-9ABC-DEF0-0123-456789ABCDEF}";

// The piece cut to `length` bytes, its bLength saying so.
Bytes Cut(Bytes piece, std::size_t length) {
  piece.resize(length);
  piece[0] = static_cast<std::uint8_t>(length);
  return piece;
}

// The piece claiming `length` bytes whatever it holds.
Bytes Claiming(Bytes piece, std::uint8_t length) {
  piece[0] = length;
  return piece;
}

TEST(VideoControlDescriptors, ReadsUnitsAndRefusesWhatDoesNotHold) {
  const Bytes c270 = Join({DeviceDescriptor(), Bytes(std::begin(kC270ConfigurationHead), std::end(kC270ConfigurationHead))});
  const Bytes xu = ExtensionUnit(9, PROPSETID_EXTENSION_UNIT, {0x1F});
  const Bytes it = CameraTerminal(1);
  const Bytes ot = OutputTerminal(5, 9);
  struct Case {
    const char* name;
    Bytes bytes;
    int configuration;
    int interfaceNumber;
    std::vector<std::string> entities;
  };
  const Case cases[] = {
      {"real webcam, cut short inside its first streaming interface", c270, 1, 0,
       {"IT 1", "PU 2", "XU 3 {69678EE4-410F-40DB-A850-7420D7D8240E} 1,2,3,4,5,6,9,10",
        "XU 4 {49E40215-F434-47FE-B158-0E885023E51B} 1,4,9",
        "XU 6 {1F5D4CA9-DE11-4487-840D-50933C8EC8D1} 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18",
        "XU 7 {FFE52D21-8030-4E2C-82D9-F587D00540BD} 9,10", "OT 5"}},
      {"interface that is not there", c270, 1, 3, {}},
      {"configuration that is not active", c270, 2, 0, {}},
      {"descriptor order kept: output terminal and unit before the input terminal",
       CameraDescriptors({ot, xu, it}), 1, 0, {"OT 5", "XU 9 " + kTool + " 1,2,3,4,5", "IT 1"}},
      {"a streaming interface's class descriptors are not taken", CameraDescriptors({it}), 1, 1, {}},
      {"active configuration second",
       Join({DeviceDescriptor(), Configuration(1), Interface(0, 0, kVideoControl), ExtensionUnit(3, kOtherGuid, {0x01}),
             Configuration(2), Interface(0, 0, kVideoControl), ExtensionUnit(3, PROPSETID_EXTENSION_UNIT, {0x02})}),
       2, 0, {"XU 3 " + kTool + " 2"}},
      {"alternate setting 1 is not the interface",
       Join({DeviceDescriptor(), Configuration(1), Interface(0, 1, kVideoControl), ExtensionUnit(3, kOtherGuid, {0x01}),
             Interface(0, 0, kVideoControl), ExtensionUnit(4, PROPSETID_EXTENSION_UNIT, {0x01})}),
       1, 0, {"XU 4 " + kTool + " 1"}},
      {"a second alternate setting 0 of the interface is a duplicate, skipped as the kernel skips it",
       Join({DeviceDescriptor(), Configuration(1), Interface(0, 0, kVideoControl), ExtensionUnit(3, kOtherGuid, {0x01}),
             Interface(0, 0, kVideoControl), ExtensionUnit(4, PROPSETID_EXTENSION_UNIT, {0x01})}),
       1, 0, {"XU 3 " + kOther + " 1"}},
      {"two functions with an association between them; unit ids repeat",
       Join({DeviceDescriptor(), Configuration(1), Association(0, 2), Interface(0, 0, kVideoControl),
             ExtensionUnit(3, kOtherGuid, {0x01}), Endpoint(), Interface(1, 0, kVideoStreaming), Association(2, 2),
             Interface(2, 0, kVideoControl), ExtensionUnit(3, PROPSETID_EXTENSION_UNIT, {0x01}), Endpoint()}),
       1, 2, {"XU 3 " + kTool + " 1"}},
      {"an endpoint ends the interface's class descriptors",
       Join({DeviceDescriptor(), Configuration(1), Interface(0, 0, kVideoControl), it, Endpoint(), xu}), 1, 0, {"IT 1"}},
      {"extension units with 0 and 2 input pins, above 127",
       CameraDescriptors({ExtensionUnit(200, kOtherGuid, {0x01}, {}), ExtensionUnit(254, PROPSETID_EXTENSION_UNIT, {0x1F}, {1, 2})}),
       1, 0, {"XU 200 " + kOther + " 1", "XU 254 " + kTool + " 1,2,3,4,5"}},
      {"bControlSize 0 to 3",
       CameraDescriptors({ExtensionUnit(10, kOtherGuid, {}), ExtensionUnit(11, kOtherGuid, {0x80}),
                          ExtensionUnit(12, kOtherGuid, {0x00, 0x01}), ExtensionUnit(13, kOtherGuid, {0x00, 0x00, 0x80})}),
       1, 0, {"XU 10 " + kOther, "XU 11 " + kOther + " 8", "XU 12 " + kOther + " 9", "XU 13 " + kOther + " 24"}},
      {"selector and processing units",
       CameraDescriptors({it, ProcessingUnit(2, 1, 0), ProcessingUnit(3, 2, 3), SelectorUnit(4, {2, 3})}), 1, 0,
       {"IT 1", "PU 2", "PU 3", "SU 4"}},
      {"header, encoding unit and unknown subtypes skipped",
       CameraDescriptors({ClassDescriptor(0x07, 13), ClassDescriptor(0x0F, 30), it, ClassDescriptor(0x00, 24)}), 1, 0,
       {"IT 1"}},
      {"extension unit one byte too short for its controls and iExtension",
       CameraDescriptors({Cut(xu, xu.size() - 1), it}), 1, 0, {"IT 1"}},
      {"each kind too short for its fields",
       CameraDescriptors({Cut(CameraTerminal(1, 3), 17), Cut(OutputTerminal(5, 1), 8), Cut(SelectorUnit(4, {1, 2}), 7),
                          Cut(ProcessingUnit(2, 1, 2), 10), Cut(ExtensionUnit(9, kOtherGuid, {}, {}), 22),
                          Cut(ExtensionUnit(9, kOtherGuid, {}, {1, 2}), 24), ClassDescriptor(0x06, 4),
                          ClassDescriptor(0x02, 3), ot}),
       1, 0, {"OT 5"}},
      {"bLength 0 ends the walk", CameraDescriptors({it, Bytes{0x00, 0x24, 0x06}, xu}), 1, 0, {"IT 1"}},
      {"bLength 1 ends the walk", CameraDescriptors({it, Bytes{0x01, 0x24}, xu}), 1, 0, {"IT 1"}},
      {"bLength past the end",
       Join({DeviceDescriptor(), Configuration(1), Interface(0, 0, kVideoControl), it, Claiming(xu, 60)}), 1, 0,
       {"IT 1"}},
      {"a GUID one field away from the tool's is another unit",
       CameraDescriptors({ExtensionUnit(9, {0x28F03370, 0x6311, 0x4A2E, {0xBA, 0x2C, 0x68, 0x90, 0xEB, 0x33, 0x40, 0x17}}, {0x1F})}),
       1, 0, {"XU 9 {28F03370-6311-4A2E-BA2C-6890EB334017} 1,2,3,4,5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Parse(c.bytes, c.configuration, c.interfaceNumber), c.entities);
  }
}

// Random bytes, and the real webcam's bytes with random damage: whatever comes back, nothing is
// read outside the buffer (the sanitizers watch) and every unit lies inside it.
TEST(VideoControlDescriptors, HostileBytesNeverReadPastTheBuffer) {
  const Bytes c270 = Join({DeviceDescriptor(), Bytes(std::begin(kC270ConfigurationHead), std::end(kC270ConfigurationHead)),
                           CameraDescriptors({ExtensionUnit(9, PROPSETID_EXTENSION_UNIT, {0x1F}, {1, 2})})});
  std::mt19937 random(20240613);
  const auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  std::size_t unitsSeen = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes bytes;
    if (round % 4 == 0) {
      bytes.resize(below(300));
      for (auto& b : bytes) b = static_cast<std::uint8_t>(below(256));
    } else {
      bytes = c270;
      for (std::size_t hits = 1 + below(8); hits > 0; --hits) {
        const std::size_t at = below(bytes.size());
        // Mostly lengths and types, where damage moves the walk.
        bytes[at] = round % 4 == 1 ? static_cast<std::uint8_t>(below(256)) : static_cast<std::uint8_t>(bytes[at] ^ (1u << below(8)));
      }
      bytes.resize(below(bytes.size() + 1));
    }
    const Bytes exact(bytes);
    const auto entities = ParseVideoControl(exact, static_cast<int>(below(3)), static_cast<int>(below(2)));
    for (const VideoControlEntity& e : entities) {
      ASSERT_LE(e.controls.size(), exact.size());
      if (e.kind == EntityKind::ExtensionUnit) ++unitsSeen;
    }
  }
  EXPECT_GT(unitsSeen, 0u) << "the damage left no extension unit readable: the loop tests nothing";
}

}  // namespace
}  // namespace uvc_test
