#pragma once
// Runs a ProbeDialog modally on its own UI thread while the test drives it through the driver.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dialog/dialog_test_driver.h"
#include "probe_dialog.h"

namespace probe {

class ProbeFixture : public ::testing::Test {
 protected:
  void SetUp() override { RegisterProbeResources(); }

  void Start() {
    dialog_.on_init = [this, init = dialog_.on_init](ProbeDialog& d) {
      ui_thread_id_ = std::this_thread::get_id();
      if (init) init(d);
    };
    ui_ = std::thread([this] { result_ = dialog_.DoModal(); });
    hwnd_ = driver_.WaitForDialog(kProbeTemplate);
    ASSERT_NE(hwnd_, nullptr);
  }

  // Ends the dialog with Esc (answering any box left open) and returns DoModal's result.
  INT_PTR Finish() {
    if (!ui_.joinable()) return result_;
    driver_.SetMessageBoxScript([](const auto&) { return IDOK; });
    while (driver_.WaitForMessageBox(std::chrono::milliseconds(0))) driver_.AnswerMessageBox(IDOK);
    while (driver_.WaitForFileDialog(std::chrono::milliseconds(0))) driver_.CancelFileDialog();
    if (IsWindow(hwnd_)) driver_.PressEscape(hwnd_);
    ui_.join();
    return result_;
  }

  void TearDown() override { Finish(); }

  platform::dialog::DialogTestDriver driver_;
  ProbeDialog dialog_;
  std::thread ui_;
  std::thread::id ui_thread_id_;
  HWND hwnd_ = nullptr;
  INT_PTR result_ = 0;
};

}  // namespace probe
