// A full burn through the main dialog (GO's handler, the worker thread and each of its sends to
// the user-interface thread) beside the same burn through the workflows alone, on the simulated
// camera with no request latency and with 125 us per request (the floor of one USB 2.0 high-speed
// control transfer). Prints per run and as medians: requests, sends, process CPU per request and
// per send, wall times and the ratio of the dialog's wall time to the workflows'.
//
//   flarnex_bench_dialog [--runs N] [--latency US] [--gtk]
//
// --latency runs one latency instead of both.
// Headless by default (the framework's test view); --gtk shows the dialog in a GTK window on the
// display in DISPLAY (a virtual one will do).
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/burn_setup.h"
#include "burner/burn_workflow.h"
#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "platform/devices/device_registry.h"
#include "platform/dialog/dialog_test_driver.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/user_input.h"
#include "platform/gtk/gtk_view.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/threads.h"
#include "simulated_camera/simulated_camera.h"
#include "ui/flarn_test_dlg.h"
#include "ui/ui_ids.h"

namespace {

namespace fs = std::filesystem;
using platform::dialog::UiDispatcher;

constexpr unsigned kLatenciesUs[] = {0, 125};
constexpr int kDefaultRuns = 3;
constexpr std::chrono::seconds kInputTimeout{30};
constexpr std::chrono::milliseconds kPollInterval{10};

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Burn {
  bool ok = false;
  std::uint64_t requests = 0;
  std::uint64_t sends = 0;
  double wallMs = 0;
  double cpuMs = 0;
};

// Measures one burn: camera requests, cross-thread sends, wall time and the whole process's CPU.
template <class Work>
Burn Measure(const simcam::SimulatedCamera& camera, Work work) {
  const std::uint64_t requests = camera.RequestCount();
  const std::uint64_t sends = UiDispatcher::Get().SendsQueued();
  const double cpu = ProcessCpuMs();
  const auto start = std::chrono::steady_clock::now();
  Burn burn;
  burn.ok = work();
  burn.wallMs = Ms(std::chrono::steady_clock::now() - start);
  burn.cpuMs = ProcessCpuMs() - cpu;
  burn.requests = camera.RequestCount() - requests;
  burn.sends = UiDispatcher::Get().SendsQueued() - sends;
  return burn;
}

Burn BurnThroughWorkflows(const simcam::SimulatedCamera& camera) {
  return Measure(camera, [] {
    bench::QuietContext ctx;
    const bool ok = FindVideoDevice(ctx) == 0 && BurnRom(ctx) == 1;
    if (!ctx.messages.empty()) std::printf("  workflows: %ls\n", ctx.messages.c_str());
    return ok;
  });
}

// GO, then wait (without polling) for the worker to end and the user-interface thread to have
// served what it queued.
Burn BurnThroughDialog(const simcam::SimulatedCamera& camera, HWND dialog, const std::wstring& success) {
  return Measure(camera, [&] {
    if (!platform::dialog::ClickButton(dialog, IDC_GO)->WaitSettled(kInputTimeout)) return false;
    platform::WaitForThreads();
    if (!UiDispatcher::Get().PostInput([] {})->WaitSettled(kInputTimeout)) return false;
    auto status = platform::dialog::WindowModel::Get().Snapshot(
        platform::dialog::WindowModel::Get().ChildById(dialog, IDC_STATUS));
    return status && status->text == success;
  });
}

HWND WaitForMainDialog() {
  for (;;) {
    for (const auto& window : platform::dialog::WindowModel::Get().SnapshotAll()) {
      if (window.template_id == IDD_MAIN_DIALOG && window.modal_loop_running) return window.hwnd;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

struct Pair {
  Burn workflows;
  Burn dialog;
  double cpuPerSendUs() const {
    return dialog.sends == 0 ? 0 : (dialog.cpuMs - workflows.cpuMs) * 1e3 / static_cast<double>(dialog.sends);
  }
  double ratio() const { return dialog.wallMs / workflows.wallMs; }
};

void PrintPair(const char* label, const Pair& p) {
  auto perRequest = [](const Burn& b) { return b.requests == 0 ? 0 : b.cpuMs * 1e3 / static_cast<double>(b.requests); };
  std::printf("%-8s workflows %s %6llu req  %8.1f ms wall  %7.1f ms cpu  %5.2f us/req | "
              "dialog %s %6llu req  %6llu sends  %8.1f ms wall  %7.1f ms cpu  %5.2f us/req  %5.2f us/send | "
              "ratio %.3f\n",
              label, p.workflows.ok ? "ok" : "FAILED", static_cast<unsigned long long>(p.workflows.requests),
              p.workflows.wallMs, p.workflows.cpuMs, perRequest(p.workflows), p.dialog.ok ? "ok" : "FAILED",
              static_cast<unsigned long long>(p.dialog.requests), static_cast<unsigned long long>(p.dialog.sends),
              p.dialog.wallMs, p.dialog.cpuMs, perRequest(p.dialog), p.cpuPerSendUs(), p.ratio());
}

// The medians of each figure over the runs (requests and sends are the same in every run).
Pair MedianPair(const std::vector<Pair>& runs) {
  auto median = [&](auto figure) {
    std::vector<double> values;
    for (const Pair& p : runs) values.push_back(figure(p));
    return Median(values);
  };
  Pair m = runs.front();
  m.workflows.ok = m.dialog.ok = std::all_of(runs.begin(), runs.end(), [](const Pair& p) { return p.workflows.ok && p.dialog.ok; });
  m.workflows.wallMs = median([](const Pair& p) { return p.workflows.wallMs; });
  m.workflows.cpuMs = median([](const Pair& p) { return p.workflows.cpuMs; });
  m.dialog.wallMs = median([](const Pair& p) { return p.dialog.wallMs; });
  m.dialog.cpuMs = median([](const Pair& p) { return p.dialog.cpuMs; });
  return m;
}

// Drives the open dialog from a thread of its own: loads the image, burns through both roads for
// each latency, then closes the dialog.
bool Script(const fs::path& imageFile, int runs, const std::vector<unsigned>& latencies) {
  const HWND dialog = WaitForMainDialog();
  platform::dialog::DropFiles(dialog, {imageFile.wstring()})->WaitSettled(kInputTimeout);
  CString success;
  success.LoadString(IDS_BURN_OK);
  bool ok = true;
  for (unsigned latency : latencies) {
    simcam::CameraConfig config;
    config.latencyUs = latency;
    auto camera = simcam::SimulatedCamera::Create(config);
    platform::ClearVideoInputDevices();
    camera->Register();  // each click's discovery binds it
    std::vector<Pair> pairs;
    for (int run = 0; run < runs; ++run) {
      Pair p;
      p.workflows = BurnThroughWorkflows(*camera);
      p.dialog = BurnThroughDialog(*camera, dialog, success.str());
      char label[32];
      std::snprintf(label, sizeof label, "%u us #%d", latency, run + 1);
      PrintPair(label, p);
      ok = ok && p.workflows.ok && p.dialog.ok;
      pairs.push_back(p);
    }
    char label[32];
    std::snprintf(label, sizeof label, "%u us med", latency);
    PrintPair(label, MedianPair(pairs));
  }
  platform::dialog::PressEscape(dialog)->WaitSettled(kInputTimeout);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = kDefaultRuns;
  bool gtk = false;
  std::vector<unsigned> latencies(std::begin(kLatenciesUs), std::end(kLatenciesUs));
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--latency") == 0 && i + 1 < argc) {
      latencies = {static_cast<unsigned>(std::atoi(argv[++i]))};
    } else if (std::strcmp(argv[i], "--gtk") == 0) {
      gtk = true;
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [--latency US] [--gtk]\n", argv[0]);
      return 2;
    }
  }
  platform::UseVirtualClock();  // the flash's erase busy time is not the software's

  // A burn that fails says why in a box; the headless view answers it and prints it.
  std::unique_ptr<platform::dialog::DialogTestDriver> headless;
  if (gtk) {
    if (!platform::gtk::InstallGtkView(&argc, &argv)) {
      std::fprintf(stderr, "no display\n");
      return 2;
    }
  } else {
    headless = std::make_unique<platform::dialog::DialogTestDriver>();
    headless->SetMessageBoxScript([](const platform::dialog::MessageBoxRequest& box) {
      std::printf("  box: %ls\n", box.text.c_str());
      return IDOK;
    });
  }

  // The dialog finds a camera at start and reads the image from a file, as a user's would.
  simcam::CameraConfig config;
  auto startCamera = simcam::SimulatedCamera::Create(config);
  startCamera->Register();
  std::string pattern = (fs::temp_directory_path() / "flarnex-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path dir = pattern;
  const std::vector<std::uint8_t> image = bench::ImageWithoutErasedBlocks(config);
  std::ofstream(dir / "image.src", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));

  std::printf("view: %s\n", gtk ? "GTK" : "headless");
  bool ok = false;
  std::thread script([&] { ok = Script(dir / "image.src", runs, latencies); });
  CFlarn_testDlg dialog;
  dialog.DoModal();  // this thread is the user-interface thread
  script.join();

  fs::remove_all(dir);
  platform::ClearVideoInputDevices();
  return ok ? 0 : 1;
}
