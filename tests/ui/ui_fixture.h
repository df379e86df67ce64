#pragma once
// A main dialog run headless: its modal loop on a thread of its own (the user-interface thread),
// the test thread driving it through the framework's test driver, a simulated camera behind it
// and a scratch directory as the current directory (the export writes there).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "burner/burner_globals.h"
#include "platform/devices/device_registry.h"
#include "platform/dialog/dialog_test_driver.h"
#include "platform/dialog/file.h"
#include "platform/dialog/resource_module.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/threads.h"
#include "serial_flash/library_state_for_test.h"
#include "simulated_camera/simulated_camera.h"
#include "ui/flarn_test_dlg.h"
#include "ui/ui_ids.h"

namespace ui_test {

namespace fs = std::filesystem;
using platform::dialog::DialogTestDriver;
using platform::dialog::WindowSnapshot;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kRomSize = 0x20000;
constexpr std::chrono::milliseconds kShortWait{200};

inline Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// An image for the default camera (chip 0x32) whose strings differ from the camera's own firmware,
// so that a burn visibly changes the flash.
inline Bytes NewFirmware() {
  simcam::FirmwareStrings strings;
  strings.first = "NEWFIRM001";
  return simcam::MakeSampleFirmware(0x32, simcam::WriteProtectConfigByteFor(2, true), strings);
}

class UiTest : public ::testing::Test {
 public:
  void SetUp() override {
    platform::UseVirtualClock();
    platform::ClearVideoInputDevices();
    platform::dialog::ClearFileFaults();
    SFResetLibraryStateForTest();
    g_chipId = 0;
    g_bankFlag = 0;
    SetLanguage(platform::dialog::kLangEnglishUS);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) if (c == '/') c = '_';
    work_dir_ = fs::temp_directory_path() / ("flarnex_ui_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(work_dir_);
    fs::create_directories(work_dir_);
    previous_dir_ = fs::current_path();
    fs::current_path(work_dir_);
  }

  void TearDown() override {
    // A failed test may leave a box, a file dialog or a worker behind: answer everything and
    // close the dialog, so the next test starts clean.
    driver_.SetMessageBoxScript([](const auto&) { return IDOK; });
    driver_.SetFileDialogScript([](const auto&) { return std::nullopt; });
    while (auto box = driver_.WaitForMessageBox(std::chrono::milliseconds(0))) driver_.AnswerMessageBox(IDOK);
    platform::WaitForThreads();
    if (ui_.joinable()) {
      for (int i = 0; i < 50 && main_ != nullptr && platform::dialog::WindowModel::Get().Exists(main_); ++i) {
        driver_.PressEscape(main_);
        driver_.WaitForDialogEnd(main_, kShortWait);
      }
      ui_.join();
    }
    dialog_.reset();
    EXPECT_EQ(g_imageBuffer, nullptr);
    platform::WaitForThreads();
    platform::SetThreadStartFailure(false);
    platform::ClearVideoInputDevices();
    platform::dialog::ClearFileFaults();
    SFResetLibraryStateForTest();
    platform::dialog::ResourceModule::Get().ForceLanguage(std::nullopt);
    fs::current_path(previous_dir_);
    fs::remove_all(work_dir_);
  }

  void SetLanguage(WORD language) {
    language_ = language;
    platform::dialog::ResourceModule::Get().ForceLanguage(language);
  }

  std::shared_ptr<simcam::SimulatedCamera> AttachCamera(const simcam::CameraConfig& config = {}) {
    std::string error;
    camera_ = simcam::SimulatedCamera::Create(config, &error);
    EXPECT_NE(camera_, nullptr) << error;
    if (camera_) camera_->Register();
    return camera_;
  }

  // Starts the main dialog's modal run on the user-interface thread.
  void StartDialog() {
    dialog_ = std::make_unique<CFlarn_testDlg>();
    ui_ = std::thread([this] {
      ui_thread_id_ = std::this_thread::get_id();
      result_ = dialog_->DoModal();
    });
  }

  // Starts the dialog and waits until its loop serves (no box expected at start).
  HWND OpenDialog() {
    StartDialog();
    main_ = driver_.WaitForDialog(IDD_MAIN_DIALOG);
    EXPECT_NE(main_, nullptr);
    return main_;
  }

  // Ends the dialog with Esc and returns DoModal's result.
  INT_PTR CloseDialog() {
    EXPECT_TRUE(driver_.PressEscape(main_));
    EXPECT_TRUE(driver_.WaitForDialogEnd(main_));
    ui_.join();
    return result_;
  }

  // The box that is open now must have this text; it is answered with OK.
  void ExpectBox(const std::wstring& text) {
    auto box = driver_.WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_EQ(box->request.text, text);
    driver_.AnswerMessageBox(IDOK);
  }

  void ExpectNoBox() { EXPECT_FALSE(driver_.WaitForMessageBox(std::chrono::milliseconds(50)).has_value()); }

  WindowSnapshot Item(int id) const {
    auto snapshot = driver_.Control(main_, id);
    EXPECT_TRUE(snapshot.has_value()) << "no control " << id;
    return snapshot.value_or(WindowSnapshot{});
  }
  bool Visible(int id) const { return Item(id).visible; }
  bool Enabled(int id) const { return Item(id).enabled; }
  std::wstring Text(int id) const { return Item(id).text; }

  // Ids of the visible controls (the logo counts as -1).
  std::set<int> VisibleIds() const {
    std::set<int> ids;
    for (const auto& control : driver_.Controls(main_)) {
      if (control.visible) ids.insert(control.id);
    }
    return ids;
  }

  std::wstring String(unsigned id) const {
    const wchar_t* text = platform::dialog::ResourceModule::Get().FindString(id, language_);
    return text ? text : L"";
  }

  fs::path WriteFile(const std::string& name, const Bytes& bytes) const {
    fs::path path = work_dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Loads an image by Browse, answering the file dialog with this path.
  void Browse(const fs::path& path) {
    ASSERT_TRUE(driver_.Click(main_, IDC_BROWSE));
    ASSERT_TRUE(driver_.WaitForFileDialog().has_value());
    driver_.AnswerFileDialog(path.wstring());
    ASSERT_TRUE(WaitForFileDialogClosed());
  }

  // The file dialog has closed once the dialog is enabled again (or a box of the handler that ran
  // it has opened); the handler then runs on to its end or its box before the user-interface
  // thread serves anything else.
  bool WaitForFileDialogClosed() {
    return driver_.WaitUntil([&] {
      return driver_.Window(main_)->enabled || driver_.WaitForMessageBox(std::chrono::milliseconds(0)).has_value();
    });
  }

  Bytes ImageBuffer() const {
    // Read on the user-interface thread, which owns the buffer.
    Bytes copy;
    platform::dialog::RunOnUiThread([&] {
      if (g_imageBuffer) copy.assign(g_imageBuffer, g_imageBuffer + kRomSize);
    });
    return copy;
  }

  // Waits until the worker has ended and the user-interface thread has taken the end notice.
  bool WaitForOperationEnd() {
    return driver_.WaitUntil([&] { return Enabled(IDC_FW_VERSION) && Enabled(IDC_GO); },
                             std::chrono::seconds(60)) &&
           driver_.WaitUntil([] { return platform::RunningThreads() == 0; });
  }

  DialogTestDriver driver_;
  std::shared_ptr<simcam::SimulatedCamera> camera_;
  std::unique_ptr<CFlarn_testDlg> dialog_;
  std::thread ui_;
  std::thread::id ui_thread_id_;
  INT_PTR result_ = 0;
  HWND main_ = nullptr;
  WORD language_ = platform::dialog::kLangEnglishUS;
  fs::path work_dir_;
  fs::path previous_dir_;
};

}  // namespace ui_test
