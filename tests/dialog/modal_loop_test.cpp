// The modal loop: dispatch through message maps, the inputs that end a dialog, tab notifications,
// the system menu, nested dialogs, painting and posted messages.
#include <gtest/gtest.h>

#include "probe_fixture.h"

namespace probe {
namespace {

using platform::dialog::DialogTestDriver;
using platform::dialog::PaintKind;

using ModalLoopTest = ProbeFixture;

TEST_F(ModalLoopTest, ClicksReachHandlersOnlyOnShownEnabledButtons) {
  Start();
  EXPECT_TRUE(driver_.Click(hwnd_, kClickButton));
  EXPECT_TRUE(driver_.Click(hwnd_, kClickButton));
  driver_.Click(hwnd_, kHiddenButton);
  driver_.Click(hwnd_, kDisabledButton);
  EXPECT_EQ(dialog_.clicks, 2);
  EXPECT_EQ(dialog_.hidden_clicks, 0);
  EXPECT_EQ(dialog_.disabled_clicks, 0);

  // Changed from the test thread: carried out on the UI thread, then clickable.
  dialog_.GetDlgItem(kHiddenButton)->ShowWindow(SW_SHOW);
  dialog_.GetDlgItem(kDisabledButton)->EnableWindow(TRUE);
  driver_.Click(hwnd_, kHiddenButton);
  driver_.Click(hwnd_, kDisabledButton);
  EXPECT_EQ(dialog_.hidden_clicks, 1);
  EXPECT_EQ(dialog_.disabled_clicks, 1);
  EXPECT_EQ(Finish(), IDCANCEL);
}

struct EndingCase {
  const char* name;
  std::function<void(DialogTestDriver&, HWND)> input;
  INT_PTR result;
};

TEST(ModalEndingTest, EnterEscCloseBoxEndTheDialog) {
  RegisterProbeResources();
  const EndingCase kCases[] = {
      {"Enter outside a push button", [](auto& d, HWND h) { d.PressEnter(h); }, IDOK},
      {"Enter with the tab focused", [](auto& d, HWND h) { d.PressEnter(h, kTab); }, IDOK},
      {"Esc", [](auto& d, HWND h) { d.PressEscape(h); }, IDCANCEL},
      {"close box", [](auto& d, HWND h) { d.PressCloseBox(h); }, IDCANCEL},
      {"system menu Close", [](auto& d, HWND h) { d.ChooseSystemMenuItem(h, SC_CLOSE); }, IDCANCEL},
  };
  for (const EndingCase& c : kCases) {
    SCOPED_TRACE(c.name);
    DialogTestDriver driver;
    ProbeDialog dialog;
    INT_PTR result = 0;
    std::thread ui([&] { result = dialog.DoModal(); });
    HWND hwnd = driver.WaitForDialog(kProbeTemplate);
    ASSERT_NE(hwnd, nullptr);
    c.input(driver, hwnd);
    EXPECT_TRUE(driver.WaitForDialogEnd(hwnd));
    ui.join();
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(dialog.clicks, 0);
    EXPECT_EQ(dialog.destroys, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
  }
}

TEST_F(ModalLoopTest, EnterOnAFocusedPushButtonClicksItInstead) {
  Start();
  driver_.PressEnter(hwnd_, kClickButton);
  EXPECT_EQ(dialog_.clicks, 1);
  EXPECT_TRUE(IsWindow(hwnd_));
}

TEST_F(ModalLoopTest, OnlyAUserTabChangeRaisesNotifications) {
  Start();
  // OnInitDialog inserted two tabs and selected 0 with TCM_SETCURSEL.
  EXPECT_EQ(driver_.Control(hwnd_, kTab)->tab_selection, 0);
  EXPECT_EQ(driver_.Control(hwnd_, kTab)->tab_items.size(), 2u);
  EXPECT_TRUE(dialog_.selections_seen.empty());

  driver_.SelectTab(hwnd_, kTab, 1);
  EXPECT_EQ(dialog_.selections_seen, std::vector<int>{1});  // the handler sees the new selection
  EXPECT_EQ(dialog_.selchanging, 1);
  driver_.SelectTab(hwnd_, kTab, 1);  // the selected tab again: nothing
  driver_.SelectTab(hwnd_, kTab, 5);  // no such tab: nothing
  EXPECT_EQ(dialog_.selections_seen, std::vector<int>{1});

  // From another thread, as a worker would: the selection changes, silently.
  std::thread([&] { EXPECT_EQ(dialog_.m_tab.SetCurSel(0), 1); }).join();
  EXPECT_EQ(driver_.Control(hwnd_, kTab)->tab_selection, 0);
  driver_.Click(hwnd_, kClickButton);  // a round trip through the UI thread
  EXPECT_EQ(dialog_.selections_seen, std::vector<int>{1});
}

TEST_F(ModalLoopTest, SystemMenuItemsAndNestedDialog) {
  dialog_.on_init = [](ProbeDialog& d) {
    CMenu* menu = d.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, kAboutCommand, L"&About Probe...");
  };
  Start();
  auto menu = driver_.Window(hwnd_)->system_menu;
  ASSERT_FALSE(menu.empty());
  EXPECT_EQ(menu.back().id, kAboutCommand);
  EXPECT_EQ(menu.back().text, L"&About Probe...");
  EXPECT_EQ(menu[menu.size() - 2].flags, MF_SEPARATOR);

  driver_.ChooseSystemMenuItem(hwnd_, kAboutCommand);
  HWND nested = driver_.WaitForDialog(kNestedTemplate);
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(driver_.Window(nested)->owner, hwnd_);
  EXPECT_FALSE(driver_.Window(hwnd_)->enabled);
  driver_.Click(hwnd_, kClickButton);  // the owner is disabled: dropped
  driver_.PressEnter(nested);          // the nested dialog's default button is OK
  EXPECT_TRUE(driver_.WaitForDialogEnd(nested));
  EXPECT_TRUE(driver_.WaitUntil([&] { return driver_.Window(hwnd_)->enabled; }));

  driver_.ChooseSystemMenuItem(hwnd_, SC_MOVE);  // default handling: nothing ends
  driver_.ChooseSystemMenuItem(hwnd_, 0x20);     // not in the menu: dropped
  driver_.Click(hwnd_, kClickButton);
  EXPECT_EQ(dialog_.clicks, 1);
  EXPECT_EQ(dialog_.system_commands, (std::vector<UINT>{kAboutCommand, SC_MOVE}));

  // The About box can be opened again.
  driver_.ChooseSystemMenuItem(hwnd_, kAboutCommand);
  nested = driver_.WaitForDialog(kNestedTemplate);
  ASSERT_NE(nested, nullptr);
  driver_.PressCloseBox(nested);
  EXPECT_TRUE(driver_.WaitForDialogEnd(nested));
  EXPECT_EQ(Finish(), IDCANCEL);
}

TEST(ModalStartTest, EndDialogInOnInitDialogSkipsTheLoop) {
  RegisterProbeResources();
  struct LoopCountingDriver : DialogTestDriver {
    int loops = 0;
    void RunModalLoop(HWND dialog, platform::dialog::Pump& pump, const std::function<bool()>& ended) override {
      ++loops;
      DialogTestDriver::RunModalLoop(dialog, pump, ended);
    }
  } driver;
  ProbeDialog dialog;
  dialog.on_init = [&](ProbeDialog& d) { d.EndDialog(-1); };
  // On this thread: with no UI thread yet, DoModal makes this one the UI thread.
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(driver.loops, 0);
  EXPECT_EQ(dialog.destroys, 1);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_FALSE(platform::dialog::UiDispatcher::Get().HasUiThread());
}

TEST(ModalStartTest, MissingTemplateGivesMinusOne) {
  ProbeDialog dialog(4242);
  EXPECT_EQ(dialog.DoModal(), -1);
}

TEST_F(ModalLoopTest, MinimisedPaintingDrawsTheIconCentred) {
  dialog_.icon = platform::dialog::IconHandleForId(128);
  Start();
  driver_.Paint(hwnd_);
  driver_.SetMinimized(hwnd_, true);
  driver_.Paint(hwnd_);
  // Client area: 200 x 125 dialog units = 300 x 203 pixels; the icon is 32 x 32.
  auto paints = driver_.Window(hwnd_)->paints;
  ASSERT_EQ(paints.size(), 3u);
  EXPECT_EQ(paints[0].kind, PaintKind::kDefault);
  EXPECT_EQ(paints[1].kind, PaintKind::kIconEraseBackground);
  EXPECT_EQ(paints[2].kind, PaintKind::kDrawIcon);
  EXPECT_EQ(paints[2].x, (300 - 32 + 1) / 2);
  EXPECT_EQ(paints[2].y, (203 - 32 + 1) / 2);
  EXPECT_EQ(paints[2].icon, dialog_.icon);
  EXPECT_EQ(SendMessage(hwnd_, WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dialog_.icon));
}

TEST_F(ModalLoopTest, PostedMessageFromAWorkerRunsOnTheUiThread) {
  std::thread::id handled_on;
  dialog_.on_click = [&](ProbeDialog&) { handled_on = std::this_thread::get_id(); };
  Start();
  std::thread([&] { EXPECT_TRUE(PostMessage(hwnd_, kWorkerDone, 7, 0)); }).join();
  driver_.Click(hwnd_, kClickButton);  // queued after the post: once handled, the post ran too
  EXPECT_EQ(dialog_.worker_done, std::vector<WPARAM>{7});
  EXPECT_EQ(handled_on, ui_thread_id_);

  // A function posted to the UI thread runs there as well.
  std::thread::id ran_on;
  platform::dialog::PostToUiThread([&] { ran_on = std::this_thread::get_id(); });
  driver_.Click(hwnd_, kClickButton);
  EXPECT_EQ(ran_on, ui_thread_id_);
}

}  // namespace
}  // namespace probe

namespace probe {
namespace {

// After an answer the test sees what the handler did next, without waiting on its own.
TEST_F(ModalLoopTest, AnswersReturnOnceTheCodeAfterTheBoxHasRun) {
  dialog_.on_click = [](ProbeDialog& d) {
    CFileDialog file(TRUE, nullptr, L"*.SRC", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                     L"Source File(*.SRC)|*.SRC|All File (*.*)|*.*|");
    if (file.DoModal() != IDOK) return;
    for (int i = 0; i <= 100; ++i) d.m_progress.SetPos(i);  // some work after the dialog
    d.GetDlgItem(kStatus)->SetWindowText(file.GetPathName());
    AfxMessageBox(L"Loaded");
    d.GetDlgItem(kStatus)->SetWindowText(L"after the box");
  };
  Start();
  driver_.Click(hwnd_, kClickButton);
  auto request = driver_.WaitForFileDialog();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->initial_file_name, L"*.SRC");
  EXPECT_EQ(request->flags, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST);
  EXPECT_EQ(request->filters, (std::vector<platform::dialog::FileDialogFilter>{
                                  {L"Source File(*.SRC)", L"*.SRC"}, {L"All File (*.*)", L"*.*"}}));
  EXPECT_EQ(request->owner, hwnd_);
  driver_.AnswerFileDialog(L"/images/rom.src");
  EXPECT_EQ(driver_.Control(hwnd_, kStatus)->text, L"/images/rom.src");
  EXPECT_EQ(driver_.Control(hwnd_, kProgress)->position, 100);
  ASSERT_TRUE(driver_.WaitForMessageBox(std::chrono::milliseconds(0)));
  driver_.AnswerMessageBox(IDOK);
  EXPECT_EQ(driver_.Control(hwnd_, kStatus)->text, L"after the box");

  // A cancelled dialog: the handler returns at once and nothing changes.
  driver_.Click(hwnd_, kClickButton);
  ASSERT_TRUE(driver_.WaitForFileDialog());
  driver_.CancelFileDialog();
  EXPECT_EQ(driver_.Control(hwnd_, kStatus)->text, L"after the box");
  EXPECT_FALSE(driver_.WaitForMessageBox(std::chrono::milliseconds(0)));
}

}  // namespace
}  // namespace probe
