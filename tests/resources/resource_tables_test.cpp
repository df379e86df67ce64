// The templates and strings as the dialog framework builds them, compared with the expected
// layout in both languages.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dialog/afxwin.h"
#include "platform/dialog/dialog_test_driver.h"
#include "resources/flarnex_resources.h"

namespace {

using platform::dialog::DialogTestDriver;
using platform::dialog::kLangChineseSimplified;
using platform::dialog::kLangEnglishUS;
using platform::dialog::ResourceModule;
using platform::dialog::WindowSnapshot;

struct ExpectedControl {
  int id;
  const wchar_t* window_class;
  const wchar_t* text_1033;
  short x_1033, y_1033, w_1033, h_1033;
  const wchar_t* text_2052;
  short x_2052, y_2052, w_2052, h_2052;
  bool visible;
  bool enabled;
};

constexpr const wchar_t* kProgress = L"msctls_progress32";
constexpr const wchar_t* kTab = L"SysTabControl32";

// Main dialog, template order.
const ExpectedControl kMainDialog[] = {
    {1000, L"Button", L"Browse", 18, 71, 50, 14, L"浏览", 18, 69, 50, 14, true, true},
    {1001, L"Edit", L"", 70, 71, 226, 14, L"", 70, 69, 228, 14, true, true},
    {1002, L"Button", L"GO", 232, 94, 64, 23, L"开始烧录", 233, 96, 65, 21, true, true},
    {1003, kProgress, L"", 14, 145, 290, 8, L"", 14, 145, 290, 8, true, true},
    {1004, kProgress, L"", 14, 163, 289, 8, L"", 14, 163, 289, 8, true, true},
    {1005, L"Button", L"Erase SF", 18, 75, 50, 14, L"擦除Flash", 19, 73, 50, 14, true, true},
    {1006, L"Button", L"Rom Export", 78, 75, 50, 14, L"导出ROM", 78, 73, 50, 14, true, true},
    {1007, L"Static", L"Erase and Check", 15, 154, 54, 8, L"擦除", 15, 154, 17, 8, true, true},
    {1008, L"Static", L"OK!", 75, 154, 13, 8, L"OK!", 36, 154, 13, 8, true, true},
    {1010, L"Static", L"OK!", 152, 154, 13, 8, L"OK!", 142, 154, 13, 8, true, true},
    {1012, L"Static", L"OK!", 243, 154, 13, 8, L"OK!", 241, 154, 13, 8, true, true},
    {1009, L"Static", L"Burning", 122, 154, 25, 8, L"烧录", 122, 154, 17, 8, true, true},
    {1011, L"Static", L"Verify", 219, 154, 20, 8, L"校验", 219, 154, 17, 8, true, true},
    {1013, L"Edit", L"", 130, 75, 165, 14, L"", 130, 73, 167, 14, true, true},
    {1014, L"Edit", L"", 90, 20, 132, 19, L"", 88, 22, 132, 19, true, true},
    {1015, L"Button", L"Get Rom Type", 252, 20, 50, 14, L"获取DSP型号", 256, 20, 50, 14, false, false},
    {-1, L"Static", L"", 223, 15, 82, 20, L"", 224, 14, 82, 20, true, true},
    {1017, L"Button", L"F/W Version", 17, 100, 50, 14, L"获取F/W版本", 19, 100, 50, 14, true, true},
    {1024, L"Button", L"Rename", 78, 100, 50, 14, L"命名文件", 78, 100, 50, 14, false, false},
    {1025, kTab, L"", 11, 44, 295, 90, L"", 11, 43, 307, 90, true, true},
};

const ExpectedControl kAboutBox[] = {
    {-1, L"Static", L"", 14, 14, 20, 20, L"", 14, 14, 20, 20, true, true},
    {-1, L"Static", L"USB Flarnex, Version 1.0.0.3", 42, 14, 114, 8, L"弗拉内克, 版本 1.0.0.3", 42, 14, 114, 8, true, true},
    {-1, L"Static", nullptr, 42, 26, 114, 8, nullptr, 42, 26, 114, 8, true, true},  // our own line
    {1, L"Button", L"OK", 113, 41, 50, 14, L"确定", 113, 41, 50, 14, true, true},
};

struct ExpectedDialog {
  WORD id;
  const wchar_t* caption_1033;
  const wchar_t* caption_2052;
  DWORD style;
  DWORD ex_style;
  short cx, cy;
  std::span<const ExpectedControl> controls;
};

const ExpectedDialog kDialogs[] = {
    {100, L"About Common USB Flarnex", L"关于弗拉内克", 0x80C800C8, 0, 170, 62, kAboutBox},
    {102, L"Common USB Flarnex", L"弗拉内克", 0x90C800C8, 0x40010, 320, 185, kMainDialog},
};

class ResourceTablesTest : public ::testing::TestWithParam<WORD> {
 protected:
  void SetUp() override {
    flarnex::resources::RegisterFlarnexResources();
    ResourceModule::Get().ForceLanguage(GetParam());
  }
  void TearDown() override { ResourceModule::Get().ForceLanguage(std::nullopt); }
  bool chinese() const { return GetParam() == kLangChineseSimplified; }
};

TEST_P(ResourceTablesTest, TemplatesBuildTheExpectedWindows) {
  for (const ExpectedDialog& expected : kDialogs) {
    SCOPED_TRACE(expected.id);
    const auto* dialog = ResourceModule::Get().FindDialog(expected.id, GetParam());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->style, expected.style);
    EXPECT_EQ(dialog->ex_style, expected.ex_style);
    EXPECT_EQ(dialog->rect, (platform::dialog::DialogUnitRect{0, 0, expected.cx, expected.cy}));
    EXPECT_STREQ(dialog->font_face, L"MS Shell Dlg");
    EXPECT_EQ(dialog->font_points, 8);
    EXPECT_EQ(dialog->font_charset, 1);

    // Run the dialog and read back what the framework built from the template.
    DialogTestDriver driver;
    CDialog window(expected.id);
    std::thread ui([&] { window.DoModal(); });
    HWND hwnd = driver.WaitForDialog(expected.id);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(driver.Window(hwnd)->text, chinese() ? expected.caption_2052 : expected.caption_1033);
    std::vector<WindowSnapshot> controls = driver.Controls(hwnd);
    ASSERT_EQ(controls.size(), expected.controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
      const ExpectedControl& want = expected.controls[i];
      const WindowSnapshot& got = controls[i];
      SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " id " << want.id);
      EXPECT_EQ(got.id, want.id);
      EXPECT_EQ(got.window_class, want.window_class);
      const wchar_t* text = chinese() ? want.text_2052 : want.text_1033;
      if (text != nullptr) {
        EXPECT_EQ(got.text, text);
      }
      auto rect = chinese() ? platform::dialog::DialogUnitRect{want.x_2052, want.y_2052, want.w_2052, want.h_2052}
                            : platform::dialog::DialogUnitRect{want.x_1033, want.y_1033, want.w_1033, want.h_1033};
      EXPECT_EQ(got.rect, rect);
      EXPECT_EQ(got.visible, want.visible);
      EXPECT_EQ(got.enabled, want.enabled);
      EXPECT_TRUE(got.style & WS_CHILD);
    }
    driver.PressEscape(hwnd);
    ui.join();
  }
}

// Style words and pictures of every control in template order, the same in both languages.
struct ExpectedStyle {
  int id;
  DWORD style;
  DWORD ex_style = 0;
  WORD picture = 0;
};

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabelStyle = kShown | WS_GROUP | SS_LEFT;
constexpr DWORD kNameBoxStyle = kShown | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL;

const ExpectedStyle kMainDialogStyles[] = {
    {IDC_BROWSE, kShown | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_IMAGE_PATH, kNameBoxStyle},
    {IDC_GO, kShown | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_PROGRESS_WORK, kShown},
    {IDC_PROGRESS_STAGE, kShown},
    {IDC_ERASE_SF, kShown | BS_PUSHBUTTON},
    {IDC_ROM_EXPORT, kShown | BS_PUSHBUTTON},
    {IDC_STAGE_ERASE, kLabelStyle},
    {IDC_STAGE_ERASE_OK, kLabelStyle},
    {IDC_STAGE_BURN_OK, kLabelStyle},
    {IDC_STAGE_VERIFY_OK, kLabelStyle},
    {IDC_STAGE_BURN, kLabelStyle},
    {IDC_STAGE_VERIFY, kLabelStyle},
    {IDC_EXPORT_NAME, kNameBoxStyle},
    {IDC_STATUS, kShown | ES_READONLY | ES_AUTOHSCROLL | ES_MULTILINE | ES_CENTER},
    {IDC_GET_ROM_TYPE, WS_CHILD | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_STATIC, kShown | SS_BITMAP, 0, IDB_LOGO},
    {IDC_FW_VERSION, kShown | BS_PUSHBUTTON},
    {IDC_RENAME, WS_CHILD | WS_DISABLED | BS_PUSHBUTTON},
    {IDC_TAB, kShown, WS_EX_TRANSPARENT},
};

const ExpectedStyle kAboutBoxStyles[] = {
    {IDC_STATIC, kShown | SS_ICON, 0, IDR_MAINFRAME},
    {IDC_STATIC, kShown | WS_GROUP | SS_NOPREFIX | SS_LEFT},
    {IDC_STATIC, kShown | WS_GROUP | SS_LEFT},
    {IDOK, kShown | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

TEST_P(ResourceTablesTest, ControlStylesAndPictures) {
  struct Template {
    WORD id;
    std::span<const ExpectedStyle> controls;
  };
  for (const Template& expected :
       {Template{IDD_MAIN_DIALOG, kMainDialogStyles}, Template{IDD_ABOUTBOX, kAboutBoxStyles}}) {
    SCOPED_TRACE(expected.id);
    const auto* dialog = ResourceModule::Get().FindDialog(expected.id, GetParam());
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->controls.size(), expected.controls.size());
    for (size_t i = 0; i < expected.controls.size(); ++i) {
      const ExpectedStyle& want = expected.controls[i];
      const platform::dialog::ControlTemplate& got = dialog->controls[i];
      SCOPED_TRACE(testing::Message() << "control #" << i + 1 << " id " << want.id);
      EXPECT_EQ(got.id, want.id);
      EXPECT_EQ(got.style, want.style) << std::hex << "0x" << got.style << " instead of 0x" << want.style;
      EXPECT_EQ(got.ex_style, want.ex_style);
      EXPECT_EQ(got.picture, want.picture);
    }
  }
}

struct ExpectedString {
  UINT id;
  const wchar_t* en;
  const wchar_t* zh;
};

const ExpectedString kStrings[] = {
    {101, L"&About Common USB Flarnex...", L"&关于 弗拉内克..."},
    {102, L"Burn", L"烧录"},
    {103, L"Auxiliary Function", L"辅助功能"},
    {104, L"No Task is Running...", L"没有任务正在运行..."},
    {105, L"Click 'GO' to start burning...", L"请单击\u201C开始烧录\u201D\uFF01"},
    {106, L"Burning...", L"烧录中..."},
    {107, L"Burn Successes!", L"烧录成功\uFF01"},
    {108, L"Burn Failed!", L"烧录失败\uFF01"},
    {109, L"Erasing...", L"擦除中..."},
    {110, L"Flash Erase Successes!", L"擦除成功\uFF01"},
    {111, L"Flash Erase Failed!", L"擦除失败\uFF01"},
    {112, L"Exporting...", L"正在导出..."},
    {113, L"Export Rom Successes!", L"导出成功\uFF01"},
    {114, L"Export Failed!", L"导出失败\uFF01"},
};

TEST_P(ResourceTablesTest, StringTableLoadsInTheSelectedLanguage) {
  for (const ExpectedString& expected : kStrings) {
    SCOPED_TRACE(expected.id);
    CString text;
    EXPECT_TRUE(text.LoadString(expected.id));
    EXPECT_EQ(text, chinese() ? expected.zh : expected.en);
  }
  // Outside the table: no text and FALSE, and the string is emptied.
  for (UINT missing : {100u, 115u, 0xE000u}) {
    CString text(L"old");
    EXPECT_FALSE(text.LoadString(missing));
    EXPECT_TRUE(text.IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ResourceTablesTest,
                         ::testing::Values(kLangEnglishUS, kLangChineseSimplified));

TEST(ManifestTest, RequestsInvokerLevelAndCommonControlsSix) {
  FILE* file = std::fopen(FLARNEX_MANIFEST_PATH, "rb");
  ASSERT_NE(file, nullptr);
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  for (const char* needle : {"level=\"asInvoker\"", "uiAccess=\"false\"",
                             "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "processorArchitecture=\"x86\"", "language=\"*\""}) {
    EXPECT_NE(text.find(needle), std::string::npos) << needle;
  }
}

}  // namespace
