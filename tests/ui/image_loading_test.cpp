// Loading the ROM image: by Browse and by drop, the lengths and files that are refused, the file
// dialog's settings, and what a drop does to the tabs.
#include <algorithm>

#include "platform/dialog/drop_files.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

using platform::dialog::FileFault;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

TEST_F(UiTest, BrowseUsesTheImageFileDialogAndLoadsAnyFileOfTheImageSize) {
  AttachCamera();
  OpenDialog();
  // Neither the signature nor the extension is checked at load time.
  const Bytes first = Pattern(kRomSize, 1);
  const Bytes second = Pattern(kRomSize, 2);
  const fs::path firstPath = WriteFile("first.hex", first);
  const fs::path secondPath = WriteFile("second.bin", second);

  ASSERT_TRUE(driver_.Click(main_, IDC_BROWSE));
  auto request = driver_.WaitForFileDialog();
  ASSERT_TRUE(request.has_value());
  EXPECT_TRUE(request->open);
  EXPECT_EQ(request->default_extension, L"");
  EXPECT_EQ(request->initial_file_name, L"*.SRC");
  EXPECT_EQ(request->flags, 0x201004u);
  EXPECT_EQ(request->filter,
            L"Source File(*.SRC)|*.SRC|Source File(*.BIN)|*.BIN|Source File(*.HEX)|*.HEX|All File (*.*)|*.*|");
  EXPECT_EQ(request->owner, main_);
  driver_.AnswerFileDialog(firstPath.wstring());
  ASSERT_TRUE(WaitForFileDialogClosed());
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_IMAGE_PATH), firstPath.wstring());
  EXPECT_EQ(Text(IDC_STATUS), L"Click 'GO' to start burning...");
  EXPECT_EQ(ImageBuffer(), first);

  // A second load replaces the first whole.
  Browse(secondPath);
  EXPECT_EQ(ImageBuffer(), second);
  EXPECT_EQ(Text(IDC_IMAGE_PATH), secondPath.wstring());
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, CancelledFileDialogChangesNothing) {
  AttachCamera();
  OpenDialog();
  ASSERT_TRUE(driver_.Click(main_, IDC_BROWSE));
  ASSERT_TRUE(driver_.WaitForFileDialog().has_value());
  driver_.CancelFileDialog();
  ExpectNoBox();
  EXPECT_EQ(Text(IDC_IMAGE_PATH), L"");
  EXPECT_EQ(Text(IDC_STATUS), L"No Task is Running...");
  EXPECT_EQ(ImageBuffer(), Bytes(kRomSize, 0xFF));
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, RefusedFilesLeaveBufferStatusAndTheLoadedImagesPath) {
  struct Case {
    const char* name;
    std::function<fs::path(UiTest&)> make;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"one byte short", [](UiTest& t) { return t.WriteFile("short.src", Bytes(kRomSize - 1, 0x11)); },
       L"It is not a Rom file!"},
      {"one byte long", [](UiTest& t) { return t.WriteFile("long.src", Bytes(kRomSize + 1, 0x11)); },
       L"It is not a Rom file!"},
      {"empty", [](UiTest& t) { return t.WriteFile("empty.src", Bytes{}); }, L"It is not a Rom file!"},
      {"missing", [](UiTest& t) { return t.work_dir_ / "missing.src"; }, L"Can't Open File!"},
      {"directory",
       [](UiTest& t) {
         fs::create_directories(t.work_dir_ / "folder.src");
         return t.work_dir_ / "folder.src";
       },
       L"Can't Open File!"},
      {"read error",
       [](UiTest& t) {
         fs::path path = t.WriteFile("bad_read.src", Bytes(kRomSize, 0x22));
         platform::dialog::InjectFileFault(path.wstring(), FileFault::kRead);
         return path;
       },
       L"Can't Open File!"},
      {"length error",
       [](UiTest& t) {
         fs::path path = t.WriteFile("bad_length.src", Bytes(kRomSize, 0x33));
         platform::dialog::InjectFileFault(path.wstring(), FileFault::kGetLength);
         return path;
       },
       L"Can't Open File!"},
  };

  AttachCamera();
  OpenDialog();
  const Bytes loaded = Pattern(kRomSize, 9);
  const fs::path loadedPath = WriteFile("good.src", loaded);
  Browse(loadedPath);
  const std::wstring ready = Text(IDC_STATUS);
  dialog_->SetItemText(IDC_STATUS, L"status before");

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = c.make(*this);
    for (bool byDrop : {false, true}) {
      SCOPED_TRACE(byDrop ? "drop" : "browse");
      if (byDrop) {
        ASSERT_TRUE(driver_.DropFiles(main_, {path.wstring()}));
      } else {
        Browse(path);
      }
      // The path box names the file while its failure is reported, then the loaded image again.
      auto box = driver_.WaitForMessageBox();
      ASSERT_TRUE(box.has_value()) << "no message box";
      EXPECT_EQ(box->request.text, c.message);
      EXPECT_EQ(Text(IDC_IMAGE_PATH), path.wstring());
      driver_.AnswerMessageBox(IDOK);
      ExpectNoBox();
      EXPECT_EQ(Text(IDC_IMAGE_PATH), loadedPath.wstring());
      EXPECT_EQ(Text(IDC_STATUS), L"status before");
      EXPECT_EQ(ImageBuffer(), loaded);
    }
  }
  EXPECT_EQ(ready, L"Click 'GO' to start burning...");
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, DropLoadsOnlyTheFirstFileAndReleasesTheDrop) {
  AttachCamera();
  OpenDialog();
  const Bytes first = Pattern(kRomSize, 3);
  const fs::path firstPath = WriteFile("first.src", first);
  const fs::path secondPath = WriteFile("second.src", Pattern(kRomSize, 4));
  ASSERT_TRUE(driver_.DropFiles(main_, {firstPath.wstring(), secondPath.wstring(), L"/no/such/file"}));
  ExpectNoBox();
  EXPECT_EQ(ImageBuffer(), first);
  EXPECT_EQ(Text(IDC_IMAGE_PATH), firstPath.wstring());
  EXPECT_EQ(Text(IDC_STATUS), L"Click 'GO' to start burning...");
  EXPECT_EQ(platform::dialog::LiveDropCount(), 0u);
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, DropOnTheAuxiliaryTabSwitchesToBurnOnlyWhenTheLoadSucceeds) {
  AttachCamera();
  OpenDialog();
  ASSERT_TRUE(driver_.SelectTab(main_, IDC_TAB, 1));

  const fs::path shortPath = WriteFile("short.src", Bytes(100, 0));
  ASSERT_TRUE(driver_.DropFiles(main_, {shortPath.wstring()}));
  ExpectBox(L"It is not a Rom file!");
  EXPECT_EQ(Item(IDC_TAB).tab_selection, 1);
  EXPECT_TRUE(Visible(IDC_ERASE_SF));
  EXPECT_FALSE(Visible(IDC_IMAGE_PATH));
  EXPECT_EQ(Text(IDC_IMAGE_PATH), L"") << "no image is loaded, so the hidden path box names none";

  const Bytes image = Pattern(kRomSize, 5);
  const fs::path goodPath = WriteFile("good.src", image);
  ASSERT_TRUE(driver_.DropFiles(main_, {goodPath.wstring()}));
  ExpectNoBox();
  EXPECT_EQ(Item(IDC_TAB).tab_selection, 0);
  for (int id : {IDC_BROWSE, IDC_IMAGE_PATH, IDC_GO}) EXPECT_TRUE(Visible(id)) << id;
  for (int id : {IDC_ERASE_SF, IDC_ROM_EXPORT, IDC_EXPORT_NAME, IDC_FW_VERSION}) EXPECT_FALSE(Visible(id)) << id;
  EXPECT_EQ(ImageBuffer(), image);
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

TEST_F(UiTest, OverlongDroppedNameIsRefusedInsteadOfCut) {
  AttachCamera();
  OpenDialog();
  // The first 519 characters of the long name name a real image file: a cut name would load it.
  fs::path dir = work_dir_;
  while (dir.native().size() < 400) dir /= std::string(60, 'd');
  fs::create_directories(dir);
  std::string stem(519 - dir.native().size() - 1, 'f');
  const fs::path cutPath = dir / stem;
  {
    std::ofstream out(cutPath, std::ios::binary);
    const Bytes image = Pattern(kRomSize, 6);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  }
  ASSERT_EQ(cutPath.native().size(), 519u);
  // Exactly one character more than the name buffer holds with its terminator.
  const std::wstring longName = cutPath.wstring() + L"x";
  ASSERT_EQ(longName.size(), 520u);

  ASSERT_TRUE(driver_.DropFiles(main_, {longName}));
  ExpectBox(L"Can't Open File!");
  ExpectNoBox();
  EXPECT_EQ(ImageBuffer(), Bytes(kRomSize, 0xFF));
  EXPECT_EQ(Text(IDC_IMAGE_PATH), L"");
  EXPECT_EQ(Text(IDC_STATUS), L"No Task is Running...");
  EXPECT_EQ(platform::dialog::LiveDropCount(), 0u);

  // A name of 519 characters fits and loads.
  ASSERT_TRUE(driver_.DropFiles(main_, {cutPath.wstring()}));
  ExpectNoBox();
  EXPECT_EQ(ImageBuffer(), Pattern(kRomSize, 6));
  EXPECT_EQ(CloseDialog(), IDCANCEL);
}

}  // namespace
}  // namespace ui_test
