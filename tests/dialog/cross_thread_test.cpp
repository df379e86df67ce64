// Work from other threads: sends carried out by the UI thread while it sits in a modal box, and
// message boxes asked for on a worker; a UI thread that ends serves the sends queued to it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <thread>

#include "dispatch_order.h"
#include "platform/dialog/ui_dispatcher.h"
#include "probe_fixture.h"

namespace probe {
namespace {

using platform::dialog::DialogTestDriver;

enum class OpenModal { kMessageBox, kNestedDialog, kFileDialog };

struct ModalCase {
  const char* name;
  OpenModal modal;
};

class CrossThreadTest : public ProbeFixture, public ::testing::WithParamInterface<ModalCase> {};

// The UI thread opens a modal box from a click; a worker then changes controls. Each change must
// complete while the box is still open.
TEST_P(CrossThreadTest, WorkerSendsAreServedWhileAModalIsOpen) {
  const OpenModal modal = GetParam().modal;
  dialog_.on_click = [modal](ProbeDialog&) {
    switch (modal) {
      case OpenModal::kMessageBox:
        AfxMessageBox(L"Hold on");
        break;
      case OpenModal::kNestedDialog: {
        ProbeDialog about(kNestedTemplate);
        about.DoModal();
        break;
      }
      case OpenModal::kFileDialog: {
        CFileDialog file(TRUE, nullptr, L"*.SRC", OFN_HIDEREADONLY, L"All (*.*)|*.*|");
        file.DoModal();
        break;
      }
    }
  };
  Start();
  ASSERT_TRUE(driver_.Click(hwnd_, kClickButton));  // settles once the modal is open
  HWND nested = nullptr;
  switch (modal) {
    case OpenModal::kMessageBox: ASSERT_TRUE(driver_.WaitForMessageBox()); break;
    case OpenModal::kNestedDialog: ASSERT_NE(nested = driver_.WaitForDialog(kNestedTemplate), nullptr); break;
    case OpenModal::kFileDialog: ASSERT_TRUE(driver_.WaitForFileDialog()); break;
  }

  auto worker = std::async(std::launch::async, [this] {
    dialog_.GetDlgItem(kStatus)->SetWindowText(L"from the worker");
    dialog_.m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 9));
    dialog_.m_progress.SendMessage(PBM_SETPOS, 4);
    dialog_.GetDlgItem(kClickButton)->EnableWindow(FALSE);
    dialog_.GetDlgItem(kTab)->ShowWindow(SW_HIDE);
    return dialog_.m_progress.GetPos();
  });
  ASSERT_EQ(worker.wait_for(DialogTestDriver::kTimeout), std::future_status::ready);
  EXPECT_EQ(worker.get(), 4);

  // The modal is still open, and the changes are in the model.
  switch (modal) {
    case OpenModal::kMessageBox: EXPECT_TRUE(driver_.WaitForMessageBox(std::chrono::milliseconds(0))); break;
    case OpenModal::kNestedDialog: EXPECT_TRUE(IsWindow(nested)); break;
    case OpenModal::kFileDialog: EXPECT_TRUE(driver_.WaitForFileDialog(std::chrono::milliseconds(0))); break;
  }
  EXPECT_EQ(driver_.Control(hwnd_, kStatus)->text, L"from the worker");
  EXPECT_EQ(driver_.Control(hwnd_, kProgress)->range_max, 9);
  EXPECT_EQ(driver_.Control(hwnd_, kProgress)->position, 4);
  EXPECT_FALSE(driver_.Control(hwnd_, kClickButton)->enabled);
  EXPECT_FALSE(driver_.Control(hwnd_, kTab)->visible);

  switch (modal) {
    case OpenModal::kMessageBox: driver_.AnswerMessageBox(IDOK); break;
    case OpenModal::kNestedDialog: driver_.PressEnter(nested); break;
    case OpenModal::kFileDialog: driver_.CancelFileDialog(); break;
  }
  EXPECT_EQ(Finish(), IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(EachModal, CrossThreadTest,
                         ::testing::Values(ModalCase{"message box", OpenModal::kMessageBox},
                                           ModalCase{"nested dialog", OpenModal::kNestedDialog},
                                           ModalCase{"file dialog", OpenModal::kFileDialog}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::erase(name, ' ');
                           return name;
                         });

using WorkerMessageBoxTest = ProbeFixture;

TEST_F(WorkerMessageBoxTest, WorkerBoxIsShownByTheUiThreadWhileTheWorkerWaits) {
  Start();
  std::atomic<bool> returned{false};
  int answer = 0;
  std::thread::id worker_id;
  std::thread worker([&] {
    worker_id = std::this_thread::get_id();
    answer = AfxMessageBox(L"Can't Open File!", MB_OK, 0);
    returned = true;
  });
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->request.text, L"Can't Open File!");
  // The application name is the executable's file name without its extension.
  EXPECT_EQ(box->request.caption, L"flarnex_dialog_tests");
  EXPECT_STREQ(AfxGetAppName(), L"flarnex_dialog_tests");
  EXPECT_EQ(box->request.type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(box->shown_on, ui_thread_id_);
  EXPECT_EQ(box->request.owner, hwnd_);
  EXPECT_FALSE(driver_.Window(hwnd_)->enabled);
  // While the box is open the UI thread still serves the dialog's own controls.
  dialog_.GetDlgItem(kStatus)->SetWindowText(L"still served");
  EXPECT_EQ(driver_.Control(hwnd_, kStatus)->text, L"still served");
  EXPECT_FALSE(returned);

  driver_.AnswerMessageBox(IDOK);
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(answer, IDOK);
  EXPECT_NE(box->request.asking_thread, ui_thread_id_);
  EXPECT_TRUE(driver_.WaitUntil([&] { return driver_.Window(hwnd_)->enabled; }));

  // A window's own box keeps its caption and gets no icon.
  std::thread own_box([&] { dialog_.MessageBox(L"ABCD1", L"Get F/W Version", MB_OK); });
  box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->request.caption, L"Get F/W Version");
  EXPECT_EQ(box->request.type, MB_OK);
  driver_.AnswerMessageBox(IDOK);
  own_box.join();
  EXPECT_EQ(driver_.MessageBoxHistory().size(), 2u);
}

TEST(NoUiThreadTest, CallsRunOnTheCallerWhenNoThreadOwnsTheUi) {
  DialogTestDriver driver;
  driver.SetMessageBoxScript([](const auto& request) { return request.text == L"yes?" ? IDYES : IDOK; });
  EXPECT_FALSE(platform::dialog::UiDispatcher::Get().HasUiThread());
  EXPECT_EQ(AfxMessageBox(L"yes?", MB_YESNO), IDYES);
  auto history = driver.MessageBoxHistory();
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].request.type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(history[0].shown_on, std::this_thread::get_id());
}

// A send queued after the UI thread's last wait has returned, while it is on its way out (a dialog
// destroying its windows), is carried out by that thread before it lets the user interface go:
// nobody else would, and the sender would wait for ever.
TEST(UiThreadEndTest, SendsQueuedAfterTheLastWaitAreServedBeforeTheThreadLetsGo) {
  using platform::dialog::UiDispatcher;
  constexpr auto kTimeout = std::chrono::seconds(10);
  std::promise<std::thread::id> owning;
  std::promise<void> queued;
  std::thread ui([&] {
    UiDispatcher::Scope scope;
    owning.set_value(scope.owns() ? std::this_thread::get_id() : std::thread::id());
    queued.get_future().wait();
  });
  const std::thread::id ui_id = owning.get_future().get();
  ASSERT_NE(ui_id, std::thread::id()) << "another thread owns the user interface";

  std::atomic<bool> served{false};
  std::thread::id served_on;
  const std::uint64_t before = UiDispatcher::Get().SendsQueued();
  auto sender = std::async(std::launch::async, [&] {
    UiDispatcher::Get().Call([&] {
      served_on = std::this_thread::get_id();
      served = true;
    });
  });
  const auto deadline = std::chrono::steady_clock::now() + kTimeout;
  while (UiDispatcher::Get().SendsQueued() == before && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_GT(UiDispatcher::Get().SendsQueued(), before) << "the send was never queued";
  queued.set_value();
  ui.join();

  const bool returned = sender.wait_for(kTimeout) == std::future_status::ready;
  EXPECT_TRUE(returned) << "the sender still waits after the UI thread has gone";
  if (!returned) {
    // Serve the stranded send here, so that the test ends.
    UiDispatcher::Scope rescue;
    UiDispatcher::Get().ServeUntil([&] { return served.load(); });
  }
  sender.get();
  EXPECT_EQ(served_on, ui_id);
}

// The ordering rules in the framework's own wait (modal dialogs and boxes in the headless view).
using dispatch_order::DispatchOrderTest;
INSTANTIATE_TEST_SUITE_P(FrameworkWait, DispatchOrderTest,
                         ::testing::Values(dispatch_order::WaitKind{
                             "framework wait",
                             [](platform::dialog::Pump& pump, const std::function<bool()>& done) {
                               pump.WaitUntil(done);
                             }}),
                         dispatch_order::WaitKindName);

}  // namespace
}  // namespace probe
