// The burn, erase and export from the dialog on real worker threads: what each shows while it runs
// and when it ends, failures reported before the end string, the one-operation-at-a-time mark,
// and clicks that find no camera.
#include <algorithm>
#include <cstring>

#include "gated_camera.h"
#include "ui_fixture.h"

#include "platform/dialog/app.h"
#include "platform/dialog/drop_files.h"
#include "platform/text/code_page.h"

namespace ui_test {
namespace {

const int kStageControls[] = {IDC_PROGRESS_STAGE, IDC_STAGE_ERASE,  IDC_STAGE_ERASE_OK, IDC_STAGE_BURN,
                              IDC_STAGE_BURN_OK,  IDC_STAGE_VERIFY, IDC_STAGE_VERIFY_OK};
// Everything the mark holds while an operation runs.
const int kHeldControls[] = {IDC_GO, IDC_BROWSE, IDC_ERASE_SF, IDC_ROM_EXPORT, IDC_FW_VERSION};

// A signed image that is erased but for a few blocks: programming skips erased blocks, so a burn
// of it is short even on a slow camera.
Bytes SparseImage() {
  Bytes image(kRomSize, 0xFF);
  std::memcpy(image.data(), "QX7M", 4);
  for (std::size_t offset : {0x0400u, 0x8000u, 0x10000u, 0x1F800u}) image[offset] = 0x5A;
  return image;
}

// What a burn leaves in the flash: the image, but the last eight bytes are never programmed.
Bytes BurntFlash(const Bytes& image) {
  Bytes flash = image;
  std::fill(flash.end() - 8, flash.end(), 0xFF);
  return flash;
}

class UiBurnLanguageTest : public UiTest, public ::testing::WithParamInterface<WORD> {};

TEST_P(UiBurnLanguageTest, BurnShowsItsStagesAndEndsWithSuccess) {
  SetLanguage(GetParam());
  auto camera = AttachCamera();
  OpenDialog();
  const Bytes image = NewFirmware();
  ASSERT_NE(camera->Flash(), BurntFlash(image));
  Browse(WriteFile("new.src", image));
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_STATUS), String(IDS_READY));

  ASSERT_TRUE(driver_.Click(main_, IDC_GO));
  ASSERT_TRUE(WaitForOperationEnd());
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_STATUS), String(IDS_BURN_OK));
  for (int id : kStageControls) EXPECT_TRUE(Visible(id)) << id;
  const auto stage = Item(IDC_PROGRESS_STAGE);
  EXPECT_EQ(stage.range_min, 0);
  EXPECT_EQ(stage.range_max, 9);
  EXPECT_EQ(stage.position, 9);
  EXPECT_EQ(Item(IDC_PROGRESS_WORK).range_max, 13004);
  for (int id : kHeldControls) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(camera->Flash(), BurntFlash(image));

  // The next click hides the stage controls again before anything else. An image without the
  // signature stops that burn before it shows any stage, so what the test sees is the click's own
  // hiding and not a race with the worker.
  Browse(WriteFile("plain.src", Bytes(kRomSize, 0x00)));
  ASSERT_TRUE(driver_.Click(main_, IDC_GO));
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->request.text, L"It isn't Tamel Rom File!");
  for (int id : kStageControls) EXPECT_FALSE(Visible(id)) << id;
  driver_.AnswerMessageBox(IDOK);
  ASSERT_TRUE(WaitForOperationEnd());
  EXPECT_EQ(Text(IDC_STATUS), String(IDS_BURN_FAIL));
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, UiBurnLanguageTest,
                         ::testing::Values(platform::dialog::kLangEnglishUS,
                                           platform::dialog::kLangChineseSimplified));

TEST_F(UiTest, FailedBurnShowsItsBoxFirstThenTheFailureString) {
  struct Case {
    const char* name;
    std::function<void(UiTest&, simcam::SimulatedCamera&)> prepare;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"nothing loaded", [](UiTest&, simcam::SimulatedCamera&) {}, L"No Source File!"},
      {"no signature",
       [](UiTest& t, simcam::SimulatedCamera&) { t.Browse(t.WriteFile("plain.src", Bytes(kRomSize, 0x00))); },
       L"It isn't Tamel Rom File!"},
      {"erase that changes nothing",
       [](UiTest& t, simcam::SimulatedCamera& camera) {
         t.Browse(t.WriteFile("new.src", NewFirmware()));
         simcam::Fault fault;
         fault.kind = simcam::Fault::Kind::EraseIgnored;
         camera.AddFault(fault);
         // An erase check fails only where a sample is not erased in bytes 0 and 5.
         camera.SetFlash(Bytes(kRomSize, 0x00));
       },
       L"Check Flash Erase Failed!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto camera = AttachCamera();
    OpenDialog();
    c.prepare(*this, *camera);
    const std::wstring statusBefore = Text(IDC_STATUS);

    ASSERT_TRUE(driver_.Click(main_, IDC_GO));
    auto box = driver_.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->request.text, c.message);
    EXPECT_NE(box->shown_on, std::thread::id{});
    EXPECT_EQ(box->request.caption, std::wstring(AfxGetAppName()));
    // The worker waits in its box: no end string yet, GO and Browse still disabled.
    EXPECT_NE(Text(IDC_STATUS), L"Burn Failed!");
    if (std::wstring(c.message) != L"Check Flash Erase Failed!") {
      EXPECT_EQ(Text(IDC_STATUS), statusBefore);
    }
    EXPECT_FALSE(Enabled(IDC_GO));
    EXPECT_FALSE(Enabled(IDC_BROWSE));
    driver_.AnswerMessageBox(IDOK);

    ASSERT_TRUE(WaitForOperationEnd());
    ExpectNoBox();
    EXPECT_EQ(Text(IDC_STATUS), L"Burn Failed!");
    EXPECT_TRUE(Enabled(IDC_GO));
    EXPECT_TRUE(Enabled(IDC_BROWSE));
    EXPECT_EQ(CloseDialog(), IDCANCEL);
    ui_ = std::thread();
    dialog_.reset();
    platform::ClearVideoInputDevices();
    SFResetLibraryStateForTest();
  }
}

TEST_F(UiTest, EraseEndsWithAnErasedFlash) {
  auto camera = AttachCamera();
  OpenDialog();
  ASSERT_NE(camera->Flash(), Bytes(kRomSize, 0xFF));
  ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));
  ASSERT_TRUE(driver_.Click(main_, IDC_ERASE_SF));
  ASSERT_TRUE(WaitForOperationEnd());
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_STATUS), L"Flash Erase Successes!");
  EXPECT_EQ(camera->Flash(), Bytes(kRomSize, 0xFF));
  EXPECT_TRUE(Enabled(IDC_ERASE_SF));
  for (int id : kStageControls) EXPECT_FALSE(Visible(id)) << id;
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, ExportWritesTheFlashIntoTheFileItNames) {
  auto camera = AttachCamera();
  OpenDialog();
  ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));
  ASSERT_TRUE(driver_.Click(main_, IDC_ROM_EXPORT));
  ASSERT_TRUE(WaitForOperationEnd());
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_STATUS), L"Export Rom Successes!");
  const std::wstring name = L"FLRX-0123456789-1-V130521_01_02-CAM0000001.src";
  EXPECT_EQ(Text(IDC_EXPORT_NAME), name);
  EXPECT_EQ(ReadBytes(work_dir_ / name), BurntFlash(camera->Flash()));
  EXPECT_TRUE(Enabled(IDC_ROM_EXPORT));
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

// An export whose file cannot be written ends with the failure string of the dialog's language.
TEST_F(UiTest, FailedExportEndsWithExportFailedInEitherLanguage) {
  struct Case {
    WORD language;
    const wchar_t* status;
  };
  const Case cases[] = {
      {platform::dialog::kLangEnglishUS, L"Export Failed!"},
      {platform::dialog::kLangChineseSimplified, L"导出失败\uFF01"},
  };
  // A directory stands where the export file should go, so the file cannot take its name.
  const fs::path taken = work_dir_ / "FLRX-0123456789-1-V130521_01_02-CAM0000001.src";
  fs::create_directories(taken / "inside");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    SetLanguage(c.language);
    AttachCamera();
    OpenDialog();
    ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));
    ASSERT_TRUE(driver_.Click(main_, IDC_ROM_EXPORT));
    ASSERT_TRUE(WaitForOperationEnd());
    ExpectNoBox();
    EXPECT_EQ(Text(IDC_STATUS), c.status);
    EXPECT_EQ(Text(IDC_EXPORT_NAME), taken.filename().wstring());
    EXPECT_TRUE(Enabled(IDC_ROM_EXPORT));
    EXPECT_TRUE(fs::is_directory(taken / "inside"));
    EXPECT_EQ(CloseDialog(), IDCANCEL);
    ui_ = std::thread();
    dialog_.reset();
    platform::ClearVideoInputDevices();
    SFResetLibraryStateForTest();
  }
}

TEST_F(UiTest, ClickWithoutCameraHidesTheStagesAndDoesNothingElse) {
  auto camera = AttachCamera();
  OpenDialog();
  for (int id : kStageControls) dialog_->ShowItem(id);
  dialog_->SetItemText(IDC_STATUS, L"last status");
  camera->Unregister();

  for (int button : {IDC_GO, IDC_ERASE_SF, IDC_ROM_EXPORT}) {
    SCOPED_TRACE(button);
    ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, button == IDC_GO ? 0 : 1));
    ASSERT_TRUE(driver_.Click(main_, button));
    for (int id : kStageControls) EXPECT_FALSE(Visible(id)) << id;
    for (int id : kStageControls) dialog_->ShowItem(id);
    EXPECT_EQ(platform::RunningThreads(), 0u);
    ExpectNoBox();
    EXPECT_EQ(Text(IDC_STATUS), L"last status");
    for (int id : kHeldControls) EXPECT_TRUE(Enabled(id)) << id;
  }
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, WorkerThatCannotStartLeavesTheDialogAsItWas) {
  AttachCamera();
  OpenDialog();
  Browse(WriteFile("new.src", NewFirmware()));
  platform::SetThreadStartFailure(true);
  ASSERT_TRUE(driver_.Click(main_, IDC_GO));
  ExpectNoBox();
  for (int id : kHeldControls) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(Text(IDC_STATUS), L"Click 'GO' to start burning...");
  platform::SetThreadStartFailure(false);
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

// Sends a button's command straight to the dialog, as if the disabled button had been clicked,
// and expects it to be refused: no box opens.
void ExpectCommandRefused(DialogTestDriver& driver, HWND dialog, int id) {
  std::thread sender([&] { SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0); });
  if (auto box = driver.WaitForMessageBox(std::chrono::milliseconds(100))) {
    ADD_FAILURE() << "command " << id << " opened a box: " << platform::Utf8FromWide(box->request.text);
    driver.AnswerMessageBox(IDOK);
  }
  sender.join();
}

TEST_F(UiTest, OneOperationAtATimeAndTheDialogStaysWhileItRuns) {
  auto camera = AttachCamera();
  // The burn's worker is held at its first camera request while the test knocks.
  auto gate = GateRegisteredDevices();
  struct OpenAtEnd {
    std::shared_ptr<RequestGate> gate;
    ~OpenAtEnd() { gate->Open(); }
  } openAtEnd{gate};
  OpenDialog();
  const Bytes image = SparseImage();
  const fs::path imagePath = WriteFile("sparse.src", image);
  Browse(imagePath);
  const fs::path otherPath = WriteFile("other.src", NewFirmware());

  gate->Close();
  ASSERT_TRUE(driver_.Click(main_, IDC_GO));
  ASSERT_TRUE(gate->WaitUntilHeld(std::chrono::seconds(10)));
  // The click has marked the burn: everything that must wait is disabled at once.
  for (int id : kHeldControls) EXPECT_FALSE(Enabled(id)) << id;

  // A second click, Browse, the other tab's buttons and F/W Version are refused, also when their
  // commands arrive directly.
  for (int id : {IDC_GO, IDC_BROWSE}) EXPECT_TRUE(driver_.Click(main_, id));
  ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));
  for (int id : {IDC_ERASE_SF, IDC_ROM_EXPORT, IDC_FW_VERSION}) EXPECT_TRUE(driver_.Click(main_, id));
  for (int id : kHeldControls) ExpectCommandRefused(driver_, main_, id);
  ExpectNoBox();
  EXPECT_LE(platform::RunningThreads(), 1u);

  // A drop is ignored and the dialog does not close.
  ASSERT_TRUE(driver_.DropFiles(main_, {otherPath.wstring()}));
  EXPECT_EQ(Text(IDC_IMAGE_PATH), imagePath.wstring());
  EXPECT_EQ(platform::dialog::LiveDropCount(), 0u);
  ASSERT_TRUE(driver_.PressEscape(main_));
  ASSERT_TRUE(driver_.PressEnter(main_));
  ASSERT_TRUE(driver_.PressCloseBox(main_));
  EXPECT_TRUE(driver_.Window(main_)->modal_loop_running);
  ExpectNoBox();
  // All of that happened while the burn was still running.
  EXPECT_EQ(Text(IDC_STATUS), L"Burning...");
  gate->Open();

  ASSERT_TRUE(WaitForOperationEnd());
  EXPECT_EQ(Text(IDC_STATUS), L"Burn Successes!");
  EXPECT_EQ(camera->Flash(), BurntFlash(image));
  EXPECT_EQ(ImageBuffer(), image);

  // Afterwards everything works again.
  for (int id : kHeldControls) EXPECT_TRUE(Enabled(id)) << id;
  ASSERT_TRUE(driver_.Click(main_, IDC_FW_VERSION));
  auto box = driver_.WaitForMessageBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->request.caption, L"Get F/W Version");
  driver_.AnswerMessageBox(IDOK);
  ASSERT_TRUE(driver_.DropFiles(main_, {otherPath.wstring()}));
  ExpectNoBox();
  EXPECT_EQ(ImageBuffer(), NewFirmware());
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, AfterAFailedLoadGoBurnsTheImageThePathBoxNames) {
  auto camera = AttachCamera();
  OpenDialog();
  // Nothing loaded yet: a refused file leaves the box empty.
  const fs::path refused = WriteFile("refused.src", Bytes(kRomSize - 1, 0x00));
  ASSERT_TRUE(driver_.DropFiles(main_, {refused.wstring()}));
  ExpectBox(L"It is not a Rom file!");
  EXPECT_EQ(Text(IDC_IMAGE_PATH), L"");

  const Bytes image = NewFirmware();
  const fs::path imagePath = WriteFile("new.src", image);
  Browse(imagePath);
  ExpectNoBox();
  // A file that cannot be opened leaves the loaded image named, and in the buffer.
  Browse(work_dir_ / "missing.src");
  ExpectBox(L"Can't Open File!");
  EXPECT_EQ(Text(IDC_IMAGE_PATH), imagePath.wstring());

  ASSERT_TRUE(driver_.Click(main_, IDC_GO));
  ASSERT_TRUE(WaitForOperationEnd());
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_STATUS), L"Burn Successes!");
  EXPECT_EQ(camera->Flash(), BurntFlash(image));
  EXPECT_EQ(ReadBytes(fs::path(Text(IDC_IMAGE_PATH))), image) << "the box names the burnt image";
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, UnreachableButtonsHandlersWorkWhenTheirCommandsArrive) {
  AttachCamera();
  OpenDialog();
  // Get Rom Type: the chip check writes nothing into its zeroed buffer, so the status line ends
  // empty.
  SendMessage(main_, WM_COMMAND, MAKEWPARAM(IDC_GET_ROM_TYPE, BN_CLICKED), 0);
  EXPECT_EQ(Text(IDC_STATUS), L"");
  EXPECT_FALSE(Visible(IDC_GET_ROM_TYPE));

  // Rename only opens the chosen file: a readable one changes nothing, a missing one is reported.
  const fs::path readable = WriteFile("readable.src", Bytes(10, 1));
  for (const auto& [path, message] : {std::pair{readable, std::wstring()},
                                      std::pair{work_dir_ / "missing.src", std::wstring(L"Can't Open File!")}}) {
    PostMessage(main_, WM_COMMAND, MAKEWPARAM(IDC_RENAME, BN_CLICKED), 0);
    auto request = driver_.WaitForFileDialog();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->initial_file_name, L"*.SRC");
    driver_.AnswerFileDialog(path.wstring());
    ASSERT_TRUE(WaitForFileDialogClosed());
    if (message.empty()) {
      ExpectNoBox();
    } else {
      ExpectBox(message);
    }
    EXPECT_EQ(Text(IDC_IMAGE_PATH), L"");
    EXPECT_EQ(ImageBuffer(), Bytes(kRomSize, 0xFF));
  }
  EXPECT_EQ(ReadBytes(readable), Bytes(10, 1));
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

}  // namespace
}  // namespace ui_test
