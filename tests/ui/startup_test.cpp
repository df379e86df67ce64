// Application start-up and the main dialog: start with and without a camera, the controls after
// start, tab switching, the system menu and About box, painting when minimised, F/W Version, both
// languages, the image buffer's life and cross-thread sends while a box is open.
#include <algorithm>

#include "platform/dialog/app.h"
#include "platform/dialog/paint.h"
#include "platform/dialog/view.h"
#include "ui/flarn_test_app.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

using platform::dialog::PaintKind;

// What is visible right after a normal start: the Burn page, bar 1003, the status line, the tab
// control and the logo.
const std::set<int> kVisibleAtStart = {IDC_BROWSE, IDC_IMAGE_PATH,  IDC_GO, IDC_PROGRESS_WORK,
                                       IDC_STATUS, IDC_TAB,         IDC_STATIC};
const std::set<int> kVisibleOnAuxiliaryTab = {IDC_ERASE_SF,      IDC_ROM_EXPORT, IDC_EXPORT_NAME, IDC_FW_VERSION,
                                              IDC_PROGRESS_WORK, IDC_STATUS,     IDC_TAB,         IDC_STATIC};
const int kStageControls[] = {IDC_PROGRESS_STAGE, IDC_STAGE_ERASE,  IDC_STAGE_ERASE_OK, IDC_STAGE_BURN,
                              IDC_STAGE_BURN_OK,  IDC_STAGE_VERIFY, IDC_STAGE_VERIFY_OK};

TEST_F(UiTest, WithoutCameraOneBoxEndsTheDialogBeforeItsLoop) {
  StartDialog();
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->request.text, L"Can't find video device!");
  EXPECT_EQ(box->request.caption, std::wstring(AfxGetAppName()));
  EXPECT_EQ(box->request.type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(box->shown_on, ui_thread_id_);
  // While the box is open the dialog has not been shown and owns no image buffer.
  HWND dialog = dialog_->m_hWnd;
  auto window = driver_.Window(dialog);
  ASSERT_TRUE(window.has_value());
  EXPECT_FALSE(window->visible);
  EXPECT_FALSE(window->modal_loop_running);
  EXPECT_EQ(ImageBuffer(), Bytes{});
  driver_.AnswerMessageBox(IDOK);
  ui_.join();

  EXPECT_EQ(result_, -1);
  EXPECT_EQ(driver_.MessageBoxHistory().size(), 1u);
  EXPECT_FALSE(driver_.Window(dialog).has_value());
}

TEST_F(UiTest, ApplicationRunsTheDialogOnceAndEndsWhenItCloses) {
  // Without a camera: the one box, and the application's main returns without another loop.
  int exitCode = -2;
  std::thread app([&] {
    char name[] = "flarnex";
    char* argv[] = {name, nullptr};
    exitCode = AfxWinMain(1, argv);
  });
  ExpectBox(L"Can't find video device!");
  app.join();
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(driver_.MessageBoxHistory().size(), 1u);
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  EXPECT_EQ(platform::dialog::RegisteredCommonControls() & ICC_WIN95_CLASSES, ICC_WIN95_CLASSES);
  ASSERT_NE(theApp.m_pszRegistryKey, nullptr);
  EXPECT_EQ(std::wstring(theApp.m_pszRegistryKey), L"Local AppWizard-Generated Applications");

  // With a camera: the dialog is the application's main window until the close box ends it.
  AttachCamera();
  std::thread again([&] {
    char name[] = "flarnex";
    char* argv[] = {name, nullptr};
    exitCode = AfxWinMain(1, argv);
  });
  HWND dialog = driver_.WaitForDialog(IDD_MAIN_DIALOG);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(theApp.m_pMainWnd, nullptr);
  EXPECT_TRUE(driver_.PressCloseBox(dialog));
  again.join();
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  EXPECT_EQ(driver_.MessageBoxHistory().size(), 1u);
}

TEST_F(UiTest, ChipIdFailureAtStartShowsOneBoxThenTheUsableDialog) {
  simcam::CameraConfig config;
  auto camera = AttachCamera(config);
  // Discovery's own chip-ID read succeeds; the read of the start-up that follows fails.
  simcam::Fault fault;
  fault.kind = simcam::Fault::Kind::FailRequest;
  fault.match.control = 1;
  fault.match.kind = simcam::RequestRecord::Kind::Get;
  fault.nth = 2;
  camera->AddFault(fault);

  StartDialog();
  ExpectBox(L"GetChipIDValue Failed!");
  main_ = driver_.WaitForDialog(IDD_MAIN_DIALOG);
  ASSERT_NE(main_, nullptr);
  EXPECT_EQ(driver_.MessageBoxHistory().size(), 1u);
  EXPECT_EQ(VisibleIds(), kVisibleAtStart);
  EXPECT_EQ(Item(IDC_TAB).tab_selection, 0);
  EXPECT_EQ(Text(IDC_STATUS), L"No Task is Running...");
  EXPECT_EQ(ImageBuffer(), Bytes(kRomSize, 0xFF));
  EXPECT_EQ(g_chipId, 0);

  // Usable: the next operation discovers the camera again and runs.
  ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));
  ASSERT_TRUE(driver_.Click(main_, IDC_ERASE_SF));
  ASSERT_TRUE(WaitForOperationEnd());
  EXPECT_EQ(Text(IDC_STATUS), L"Flash Erase Successes!");
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, NormalStartShowsTheBurnPage) {
  AttachCamera();
  OpenDialog();
  ExpectNoBox();

  EXPECT_EQ(VisibleIds(), kVisibleAtStart);
  for (int id : {IDC_GET_ROM_TYPE, IDC_RENAME}) {
    EXPECT_FALSE(Visible(id)) << id;
    EXPECT_FALSE(Enabled(id)) << id;
  }
  const auto tab = Item(IDC_TAB);
  ASSERT_EQ(tab.tab_items.size(), 2u);
  EXPECT_EQ(tab.tab_items[0].text, L"Burn");
  EXPECT_EQ(tab.tab_items[1].text, L"Auxiliary Function");
  EXPECT_EQ(tab.tab_selection, 0);
  EXPECT_EQ(Text(IDC_STATUS), L"No Task is Running...");
  EXPECT_EQ(ImageBuffer(), Bytes(kRomSize, 0xFF));
  EXPECT_EQ(g_chipId, 0x32);

  const auto window = *driver_.Window(main_);
  EXPECT_EQ(platform::dialog::IconIdForHandle(window.big_icon), IDR_MAINFRAME);
  EXPECT_EQ(platform::dialog::IconIdForHandle(window.small_icon), IDR_MAINFRAME);
  ASSERT_GE(window.system_menu.size(), 2u);
  const auto& separator = window.system_menu[window.system_menu.size() - 2];
  const auto& about = window.system_menu.back();
  EXPECT_EQ(separator.flags & MF_SEPARATOR, MF_SEPARATOR);
  EXPECT_EQ(about.id, static_cast<UINT_PTR>(IDM_ABOUTBOX));
  EXPECT_EQ(about.text, L"&About Common USB Flarnex...");

  // The four bound controls are the dialog's own objects.
  EXPECT_EQ(dialog_->m_workProgress.m_hWnd, Item(IDC_PROGRESS_WORK).hwnd);
  EXPECT_EQ(dialog_->m_stageProgress.m_hWnd, Item(IDC_PROGRESS_STAGE).hwnd);
  EXPECT_EQ(dialog_->m_tab.m_hWnd, Item(IDC_TAB).hwnd);
  EXPECT_EQ(dialog_->m_eraseButton.m_hWnd, Item(IDC_ERASE_SF).hwnd);
  EXPECT_EQ(dialog_->m_imageSize, 0x20000);

  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, TabsSwapThePagesAndKeepTheStageControlsHidden) {
  AttachCamera();
  OpenDialog();
  // As a finished burn leaves them: stage bar and labels shown.
  for (int id : kStageControls) dialog_->ShowItem(id);

  struct Step {
    int tab;
    std::set<int> visible;
  };
  const Step steps[] = {
      {1, kVisibleOnAuxiliaryTab},  // leaving Burn hides the stage controls too
      {0, kVisibleAtStart},         // coming back does not show them again
      {1, kVisibleOnAuxiliaryTab},
      {0, kVisibleAtStart},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, step.tab));
    EXPECT_EQ(Item(IDC_TAB).tab_selection, step.tab);
    EXPECT_EQ(VisibleIds(), step.visible) << "tab " << step.tab;
    EXPECT_EQ(Text(IDC_STATUS), L"No Task is Running...");
  }
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, SystemMenuOpensAFreshAboutBoxEachTimeAndPassesOtherCommandsOn) {
  AttachCamera();
  OpenDialog();
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(driver_.ChooseSystemMenuItem(main_, IDM_ABOUTBOX));
    HWND about = driver_.WaitForDialog(IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(driver_.Window(about)->text, L"About Common USB Flarnex");
    EXPECT_EQ(driver_.Window(about)->owner, main_);
    EXPECT_FALSE(driver_.Window(main_)->enabled);
    ASSERT_TRUE(driver_.Click(about, IDOK));
    ASSERT_TRUE(driver_.WaitForDialogEnd(about));
    EXPECT_TRUE(driver_.WaitUntil([&] { return driver_.Window(main_)->enabled; }));
  }

  // Move does nothing visible; minimise goes to the default handling, and painting then draws
  // the icon centred in the client area.
  ASSERT_TRUE(driver_.ChooseSystemMenuItem(main_, SC_MOVE));
  EXPECT_TRUE(driver_.Window(main_)->modal_loop_running);
  ASSERT_TRUE(driver_.SetMinimized(main_, true));
  EXPECT_TRUE(driver_.Window(main_)->minimized);
  const std::size_t paintsBefore = driver_.Window(main_)->paints.size();
  ASSERT_TRUE(driver_.Paint(main_));
  auto paints = driver_.Window(main_)->paints;
  ASSERT_EQ(paints.size(), paintsBefore + 2);
  EXPECT_EQ(paints[paintsBefore].kind, PaintKind::kIconEraseBackground);
  const auto& icon = paints[paintsBefore + 1];
  EXPECT_EQ(icon.kind, PaintKind::kDrawIcon);
  const auto client = platform::dialog::DialogUnitsToPixels({0, 0, 320, 185});
  EXPECT_EQ(icon.x, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2);
  EXPECT_EQ(icon.y, (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2);
  EXPECT_EQ(platform::dialog::IconIdForHandle(icon.icon), IDR_MAINFRAME);
  EXPECT_EQ(reinterpret_cast<LRESULT>(dialog_->m_hIcon),
            SendMessage(main_, WM_QUERYDRAGICON, 0, 0));

  ASSERT_TRUE(driver_.SetMinimized(main_, false));
  const std::size_t restoredPaints = driver_.Window(main_)->paints.size();
  ASSERT_TRUE(driver_.Paint(main_));
  paints = driver_.Window(main_)->paints;
  ASSERT_EQ(paints.size(), restoredPaints + 1);
  EXPECT_EQ(paints.back().kind, PaintKind::kDefault);

  // Close goes to the default handling too, which ends the dialog as Esc does.
  ASSERT_TRUE(driver_.ChooseSystemMenuItem(main_, SC_CLOSE));
  ASSERT_TRUE(driver_.WaitForDialogEnd(main_));
  ui_.join();
  EXPECT_EQ(result_, IDCANCEL);
  EXPECT_EQ(driver_.MessageBoxHistory().size(), 0u);
}

TEST_F(UiTest, FirmwareVersionShowsTheVersionStringsUnderItsOwnCaption) {
  AttachCamera();
  OpenDialog();
  ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));
  ASSERT_TRUE(driver_.Click(main_, IDC_FW_VERSION));
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());
  // Tag, second, first and third string of the camera's firmware.
  EXPECT_EQ(box->request.text, L"FLRX1\r\n0123456789\r\nCAM0000001\r\n1305210102");
  EXPECT_EQ(box->request.caption, L"Get F/W Version");
  EXPECT_EQ(box->request.type, MB_OK);
  EXPECT_EQ(box->request.owner, main_);
  driver_.AnswerMessageBox(IDOK);
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

class UiLanguageTest : public UiTest, public ::testing::WithParamInterface<WORD> {};

TEST_P(UiLanguageTest, TextsAndLayoutComeFromTheLanguagesTables) {
  SetLanguage(GetParam());
  AttachCamera();
  OpenDialog();

  const auto* layout = platform::dialog::ResourceModule::Get().FindDialog(IDD_MAIN_DIALOG, GetParam());
  ASSERT_NE(layout, nullptr);
  const auto window = *driver_.Window(main_);
  EXPECT_EQ(window.language, GetParam());
  EXPECT_EQ(window.text, layout->caption);
  const auto controls = driver_.Controls(main_);
  ASSERT_EQ(controls.size(), layout->controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const auto& expected = layout->controls[i];
    EXPECT_EQ(controls[i].id, expected.id) << i;
    EXPECT_EQ(controls[i].rect, expected.rect) << "control " << expected.id;
    if (expected.id != IDC_STATUS && expected.picture == 0) {
      EXPECT_EQ(controls[i].text, expected.text) << "control " << expected.id;
    }
  }
  EXPECT_EQ(Text(IDC_STATUS), String(IDS_IDLE));
  EXPECT_EQ(Item(IDC_TAB).tab_items[0].text, String(IDS_TAB_BURN));
  EXPECT_EQ(Item(IDC_TAB).tab_items[1].text, String(IDS_TAB_AUX));
  EXPECT_EQ(window.system_menu.back().text, String(IDS_ABOUTBOX));
  EXPECT_EQ(window.system_menu.back().text.front(), L'&');

  ASSERT_TRUE(driver_.ChooseSystemMenuItem(main_, IDM_ABOUTBOX));
  HWND about = driver_.WaitForDialog(IDD_ABOUTBOX);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(driver_.Window(about)->text,
            platform::dialog::ResourceModule::Get().FindDialog(IDD_ABOUTBOX, GetParam())->caption);
  ASSERT_TRUE(driver_.PressEscape(about));
  ASSERT_TRUE(driver_.WaitForDialogEnd(about));

  // Message boxes stay English.
  driver_.DropFiles(main_, {(work_dir_ / "missing.src").wstring()});
  ExpectBox(L"Can't Open File!");
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, UiLanguageTest,
                         ::testing::Values(platform::dialog::kLangEnglishUS,
                                           platform::dialog::kLangChineseSimplified));

TEST_F(UiTest, ImageBufferLivesFromStartToCloseAndIsFreedOnce) {
  AttachCamera();
  OpenDialog();
  EXPECT_EQ(ImageBuffer().size(), kRomSize);
  EXPECT_EQ(CloseDialog(), IDCANCEL);
  EXPECT_EQ(g_imageBuffer, nullptr);
  // The dialog's destruction after the close frees nothing more (a second free would be caught
  // by the address sanitizer); its filter reference goes with it.
  dialog_.reset();
  EXPECT_EQ(g_imageBuffer, nullptr);
}

TEST_F(UiTest, WorkerSendsAreServedWhileAMessageBoxIsOpen) {
  AttachCamera();
  OpenDialog();
  // A box on the user-interface thread holds its loop...
  driver_.DropFiles(main_, {(work_dir_ / "missing.src").wstring()});
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());

  // ...and a worker's control changes still go through, on that thread, while the box stays.
  std::thread worker([&] {
    dialog_->SetItemText(IDC_STATUS, L"from a worker");
    dialog_->SetProgressRange(IDC_PROGRESS_WORK, 40);
    dialog_->SetProgressPos(IDC_PROGRESS_WORK, 30);
    dialog_->ShowItem(IDC_STAGE_BURN);
  });
  worker.join();
  EXPECT_EQ(Text(IDC_STATUS), L"from a worker");
  EXPECT_EQ(Item(IDC_PROGRESS_WORK).range_max, 40);
  EXPECT_EQ(Item(IDC_PROGRESS_WORK).position, 30);
  EXPECT_TRUE(Visible(IDC_STAGE_BURN));
  EXPECT_EQ(driver_.WaitForMessageBox(std::chrono::milliseconds(0))->request.text, L"Can't Open File!");
  driver_.AnswerMessageBox(IDOK);

  // A worker's own box is shown by the user-interface thread while the worker waits for it.
  std::thread::id workerId;
  std::thread boxWorker([&] {
    workerId = std::this_thread::get_id();
    dialog_->ShowMessage(L"from a worker");
  });
  box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->request.text, L"from a worker");
  EXPECT_EQ(box->shown_on, ui_thread_id_);
  driver_.AnswerMessageBox(IDOK);
  boxWorker.join();
  EXPECT_EQ(box->request.asking_thread, workerId);
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

}  // namespace
}  // namespace ui_test
