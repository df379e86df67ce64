#include "simulated_camera/camera_config.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>

namespace simcam {
namespace {

constexpr std::string_view kDefaultFlash = "MX25L1005";
constexpr std::string_view kDefaultNodes = "vp+vp+dev";  // as CameraConfig::nodeTypes starts
// The addresses the library's open probes with control 4, in order.
constexpr std::array<std::uint16_t, 5> kProbeAddresses = {0x9FF8, 0xD2B2, 0xDFF8, 0xBFF8, 0xC7F8};
constexpr std::size_t kLongDevicePath = 300;  // characters: more than the 256-byte buffer holds

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool ParseNumber(std::string_view s, std::uint64_t max, std::uint64_t* out) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  if (s.empty()) return false;
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || end != s.data() + s.size() || value > max) return false;
  *out = value;
  return true;
}

template <class T>
bool Number(std::string_view s, std::uint64_t max, T* out) {
  std::uint64_t value = 0;
  if (!ParseNumber(s, max, &value)) return false;
  *out = static_cast<T>(value);
  return true;
}

bool ParseDevice(std::string_view text, DeviceSpec* spec) {
  std::vector<std::string_view> parts = Split(text, ':');
  if (parts[0] == "camera") {
    spec->kind = DeviceKind::Camera;
  } else if (parts[0] == "foreign") {
    spec->kind = DeviceKind::ForeignWebcam;
    spec->friendlyName = L"Integrated Webcam";
    spec->devicePath = L"\\\\?\\usb#vid_0c45&pid_6713&mi_00#7&1f3e2b1&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
  } else {
    return false;
  }
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::string_view flag = parts[i];
    if (flag == "nostorage") {
      spec->bindToStorage = E_FAIL;
    } else if (flag == "noname") {
      spec->friendlyNameRead = E_FAIL;
    } else if (flag == "nopath") {
      spec->devicePathRead = E_FAIL;
    } else if (flag == "longpath") {
      spec->devicePath = L"\\\\?\\usb#" + std::wstring(kLongDevicePath, L'x');
    } else if (flag == "nobind") {
      spec->bindToObject = E_FAIL;
    } else if (flag == "noks") {
      spec->refusedInterfaces.push_back(IID_IKsControl);
    } else if (flag == "notopology") {
      spec->refusedInterfaces.push_back(IID_IKsTopologyInfo);
    } else if (flag == "nopropset") {
      spec->refusedInterfaces.push_back(IID_IKsPropertySet);
    } else {
      return false;
    }
  }
  return true;
}

bool ParseControl4(std::string_view value, Control4Config* c4) {
  if (value == "ok") {
    *c4 = {};
  } else if (value == "refuse") {
    c4->behaviour = Control4Behaviour::Refuse;
  } else if (value == "zero") {
    c4->behaviour = Control4Behaviour::CountZero;
  } else if (value.starts_with("count:")) {
    return Number(value.substr(6), 0xFF, &c4->count);
  } else if (value.starts_with("fail:")) {
    std::uint16_t address = 0;
    if (!Number(value.substr(5), 0xFFFF, &address)) return false;
    c4->failAddress = address;
  } else if (value.starts_with("failprobe:")) {
    unsigned k = 0;
    if (!Number(value.substr(10), kProbeAddresses.size(), &k) || k == 0) return false;
    c4->failAddress = kProbeAddresses[k - 1];
  } else {
    return false;
  }
  return true;
}

bool ParseFlash(std::string_view value, FlashProfile* flash) {
  if (value == "silent-ff" || value == "silent-FF") {
    *flash = SilentFlashProfile(0xFF);
  } else if (value == "silent-00") {
    *flash = SilentFlashProfile(0x00);
  } else if (const FlashProfile* part = FindFlashProfile(value)) {
    *flash = *part;
  } else {
    return false;
  }
  return true;
}

using Setter = std::function<bool(std::string_view, CameraConfig&)>;

const std::vector<std::pair<std::string_view, Setter>>& Setters() {
  static const std::vector<std::pair<std::string_view, Setter>> setters = {
      {"chip", [](std::string_view v, CameraConfig& c) { return Number(v, 0xFF, &c.chipId); }},
      {"flash", [](std::string_view v, CameraConfig& c) { return ParseFlash(v, &c.flash); }},
      {"firmware",
       [](std::string_view v, CameraConfig& c) {
         if (v == "sample") c.contents = FlashContents::Sample;
         else if (v == "erased") c.contents = FlashContents::Erased;
         else return false;
         return true;
       }},
      {"flash_file",
       [](std::string_view v, CameraConfig& c) {
         c.flashFile = std::string(v);
         return !v.empty();
       }},
      {"latency_us", [](std::string_view v, CameraConfig& c) { return Number(v, 10'000'000, &c.latencyUs); }},
      {"mode", [](std::string_view v, CameraConfig& c) { return Number(v, 0xFF, &c.mode); }},
      {"base", [](std::string_view v, CameraConfig& c) { return Number(v, 0xFFFF, &c.baseAddress); }},
      {"pointer",
       [](std::string_view v, CameraConfig& c) {
         std::uint32_t p = 0;
         if (!Number(v, 0xFFFFFFFF, &p)) return false;
         c.flashPointer = p;
         return true;
       }},
      {"reg3c5", [](std::string_view v, CameraConfig& c) { return Number(v, 0xFF, &c.reg3C5); }},
      {"done_polls", [](std::string_view v, CameraConfig& c) { return Number(v, 1'000'000, &c.donePolls); }},
      {"wp_pin", [](std::string_view v, CameraConfig& c) { return Number(v, 7, &c.wpPin); }},
      {"wp_polarity",
       [](std::string_view v, CameraConfig& c) {
         if (v == "low") c.wpActiveLow = true;
         else if (v == "high") c.wpActiveLow = false;
         else return false;
         return true;
       }},
      {"wp_cfg",
       [](std::string_view v, CameraConfig& c) {
         std::uint8_t b = 0;
         if (!Number(v, 0xFF, &b)) return false;
         c.wpConfigByte = b;
         return true;
       }},
      {"nodes",
       [](std::string_view v, CameraConfig& c) {
         c.nodeTypes.clear();
         if (v == "none") return true;
         for (std::string_view n : Split(v, '+')) {
           if (n == "vp") c.nodeTypes.push_back(KSNODETYPE_VIDEO_PROCESSING);
           else if (n == "dev") c.nodeTypes.push_back(KSNODETYPE_DEV_SPECIFIC);
           else return false;
         }
         return true;
       }},
      {"xu_node",
       [](std::string_view v, CameraConfig& c) {
         if (v == "none") {
           c.extensionUnitNode = -1;
           return true;
         }
         return Number(v, 255, &c.extensionUnitNode);
       }},
      {"answer_node", [](std::string_view v, CameraConfig& c) { return Number(v, 255, &c.answerNodeId); }},
      {"probe",
       [](std::string_view v, CameraConfig& c) {
         if (v == "ok") c.supportProbe = S_OK;
         else if (v == "false") c.supportProbe = S_FALSE;
         else if (v == "fail") c.supportProbe = HRESULT_FROM_WIN32_SET_NOT_FOUND;
         else return false;
         return true;
       }},
      {"fallback",
       [](std::string_view v, CameraConfig& c) {
         if (v == "none") c.fallback = FallbackSupport::None;
         else if (v == "a") c.fallback = FallbackSupport::SetA;
         else if (v == "b") c.fallback = FallbackSupport::SetB;
         else return false;
         return true;
       }},
      {"control4", [](std::string_view v, CameraConfig& c) { return ParseControl4(v, &c.control4); }},
      {"devices",
       [](std::string_view v, CameraConfig& c) {
         c.devices.clear();
         for (std::string_view d : Split(v, '+')) {
           DeviceSpec spec;
           if (!ParseDevice(d, &spec)) return false;
           c.devices.push_back(spec);
         }
         return true;
       }},
      {"trace",
       [](std::string_view v, CameraConfig& c) {
         if (v == "on") c.trace = true;
         else if (v == "off") c.trace = false;
         else return false;
         return true;
       }},
      {"protected",
       [](std::string_view v, CameraConfig& c) {
         if (v == "yes") c.startProtected = true;
         else if (v == "no") c.startProtected = false;
         else return false;
         return true;
       }},
      {"erase_ms", [](std::string_view v, CameraConfig& c) { return Number(v, 600'000, &c.flash.eraseMs); }},
      {"program_ms", [](std::string_view v, CameraConfig& c) { return Number(v, 10'000, &c.flash.programMs); }},
      {"tag", [](std::string_view v, CameraConfig& c) { c.strings.tag = std::string(v); return v.size() <= 5; }},
      {"first", [](std::string_view v, CameraConfig& c) { c.strings.first = std::string(v); return v.size() <= 10; }},
      {"second", [](std::string_view v, CameraConfig& c) { c.strings.second = std::string(v); return v.size() <= 10; }},
      {"third", [](std::string_view v, CameraConfig& c) { c.strings.third = std::string(v); return v.size() <= 10; }},
  };
  return setters;
}

}  // namespace

CameraConfig::CameraConfig() : flash(*FindFlashProfile(kDefaultFlash)) {}

std::optional<CameraConfig> ParseCameraConfig(std::string_view text, std::string* error) {
  auto fail = [error](std::string why) {
    if (error != nullptr) *error = std::move(why);
    return std::nullopt;
  };
  CameraConfig config;
  // Each key once: a second value would silently win over the first.
  std::vector<std::pair<std::string_view, std::string_view>> items;  // key, whole item
  for (std::string_view raw : Split(text, ',')) {
    std::string_view item = Trim(raw);
    if (item.empty()) continue;
    std::string_view key = Trim(item.substr(0, item.find('=')));
    auto same = std::find_if(items.begin(), items.end(), [&](const auto& i) { return i.first == key; });
    if (same != items.end()) {
      return fail("configuration key '" + std::string(key) + "' given twice ('" + std::string(same->second) +
                  "' and '" + std::string(item) + "')");
    }
    items.emplace_back(key, item);
  }
  // erase_ms and program_ms refine the chosen part, so the part is applied first.
  std::stable_partition(items.begin(), items.end(), [](const auto& i) { return i.first == "flash"; });
  for (const auto& [key, item] : items) {
    std::size_t eq = item.find('=');
    std::string_view value = eq == std::string_view::npos ? std::string_view() : Trim(item.substr(eq + 1));
    const auto& setters = Setters();
    auto it = std::find_if(setters.begin(), setters.end(), [&](const auto& s) { return s.first == key; });
    if (it == setters.end()) {
      return fail("unknown configuration key '" + std::string(key) + "' in '" + std::string(item) + "'");
    }
    if (eq == std::string_view::npos || !it->second(value, config)) {
      return fail("bad configuration item '" + std::string(item) + "'");
    }
  }
  const bool unitFits = config.extensionUnitNode < static_cast<int>(config.nodeTypes.size()) &&
                        (config.extensionUnitNode < 0 ||
                         config.nodeTypes[config.extensionUnitNode] == KSNODETYPE_DEV_SPECIFIC);
  if (!unitFits) {
    // Name what the user wrote: the unit's index when given, else the node list it conflicts with.
    auto written = [&](std::string_view key) {
      auto i = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.first == key; });
      return i == items.end() ? std::string() : std::string(i->second);
    };
    const std::string unit = written("xu_node");
    const std::string nodes = written("nodes");
    if (!unit.empty()) {
      return fail("bad configuration item '" + unit + "': not a device-specific node of " +
                  (nodes.empty() ? std::string("the default nodes=") + std::string(kDefaultNodes) : "'" + nodes + "'"));
    }
    return fail("bad configuration item '" + nodes + "': the extension unit is node " +
                std::to_string(config.extensionUnitNode) +
                " unless xu_node says otherwise, and that is no device-specific node (add xu_node=none or "
                "xu_node=INDEX)");
  }
  if (error != nullptr) error->clear();
  return config;
}

}  // namespace simcam
