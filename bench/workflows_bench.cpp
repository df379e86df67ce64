// Full burn, erase and export of a sample image without 0xFF blocks on the simulated camera with
// no request latency. Prints the wall time of each workflow (with the camera's trace off) and its
// requests by kind beside the least the protocol allows: one SET per programmed block, a SET and a
// GET per block read.
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/burn_setup.h"
#include "burner/burn_workflow.h"
#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "burner/erase_workflow.h"
#include "burner/export_workflow.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "simulated_camera/simulated_camera.h"

namespace {

using bench::QuietContext;

constexpr std::uint32_t kBlocks = 16383;         // blocks 0 to 0x1FFF0
constexpr std::uint32_t kBurnEraseSamples = 127;  // the burn's quick erase check

struct Traffic {
  std::uint64_t writes = 0;    // control-3 SETs with a write command
  std::uint64_t readSets = 0;  // control-3 SETs with a read command
  std::uint64_t readGets = 0;  // control-3 GETs
  std::uint64_t other = 0;     // registers, serial-flash bytes, library memory access
};

Traffic Classify(const std::vector<simcam::RequestRecord>& trace) {
  Traffic t;
  for (const simcam::RequestRecord& r : trace) {
    const bool flash8 = r.control == 3 && r.payload.size() == 11;
    if (flash8 && r.kind == simcam::RequestRecord::Kind::Set && (r.payload[2] & 0x80) == 0) {
      ++t.writes;
    } else if (flash8 && r.kind == simcam::RequestRecord::Kind::Set) {
      ++t.readSets;
    } else if (flash8 && r.kind == simcam::RequestRecord::Kind::Get) {
      ++t.readGets;
    } else {
      ++t.other;
    }
  }
  return t;
}

template <class Work>
bool Run(const char* name, simcam::SimulatedCamera& camera, QuietContext& ctx, Work work, std::uint64_t minWrites,
         std::uint64_t minReads) {
  if (FindVideoDevice(ctx) != 0) {
    std::printf("%s: no camera\n", name);
    return false;
  }
  // Timed with the trace off, so the figure shows the tool and not the growth of the camera's
  // records; then run again with the trace on to count the requests by kind.
  camera.SetTracing(false);
  const auto start = std::chrono::steady_clock::now();
  const int result = work(ctx);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  camera.SetTracing(true);
  camera.ClearTrace();
  work(ctx);
  const Traffic t = Classify(camera.Requests());
  camera.ClearTrace();
  std::printf("%-7s result %d  %8.1f ms  writes %6llu (least %6llu)  read SETs %6llu / GETs %6llu (least %6llu each)"
              "  other %5llu\n",
              name, result, ms, static_cast<unsigned long long>(t.writes), static_cast<unsigned long long>(minWrites),
              static_cast<unsigned long long>(t.readSets), static_cast<unsigned long long>(t.readGets),
              static_cast<unsigned long long>(minReads), static_cast<unsigned long long>(t.other));
  if (!ctx.messages.empty()) std::printf("  messages: %ls\n", ctx.messages.c_str());
  return result == 1;
}

}  // namespace

int main() {
  platform::UseVirtualClock();  // the flash's erase busy time is not the software's
  simcam::CameraConfig config;
  config.latencyUs = 0;
  std::string error;
  auto camera = simcam::SimulatedCamera::Create(config, &error);
  if (!camera) {
    std::printf("camera: %s\n", error.c_str());
    return 1;
  }
  camera->Register();

  std::vector<std::uint8_t> image = bench::ImageWithoutErasedBlocks(config);
  g_imageBuffer = image.data();

  QuietContext ctx;
  std::string pattern = (std::filesystem::temp_directory_path() / "flarnex-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const std::filesystem::path dir = pattern;
  bool ok = Run("burn", *camera, ctx, BurnRom, kBlocks, kBurnEraseSamples + kBlocks);
  ok = Run("erase", *camera, ctx, EraseFlash, 0, kBlocks) && ok;
  ok = Run("burn", *camera, ctx, BurnRom, kBlocks, kBurnEraseSamples + kBlocks) && ok;
  ok = Run("export", *camera, ctx, [&](BurnerDialogContext& c) { return ExportRomToDirectory(c, dir); }, 0, kBlocks) && ok;

  std::filesystem::remove_all(dir);
  g_imageBuffer = nullptr;
  platform::ClearVideoInputDevices();
  return ok ? 0 : 1;
}
