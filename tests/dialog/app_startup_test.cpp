// The application object and the framework's main: a global application object, InitInstance
// running a dialog modally, and the exit path when InitInstance returns FALSE.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dialog/afxwin.h"
#include "platform/dialog/dialog_test_driver.h"
#include "probe_dialog.h"

namespace {

constexpr int kExitCode = 3;

class StartupApp : public CWinAppEx {
 public:
  StartupApp() : CWinAppEx(TRUE) {}
  bool run_loop = false;  // InitInstance returns TRUE and the framework's Run follows
  INT_PTR dialog_result = 0;
  bool main_window_cleared = false;
  int exits = 0;

  BOOL InitInstance() override {
    INITCOMMONCONTROLSEX init{.dwSize = sizeof(INITCOMMONCONTROLSEX), .dwICC = ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    CWinAppEx::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");
    probe::ProbeDialog dialog;
    m_pMainWnd = &dialog;
    dialog_result = dialog.DoModal();
    main_window_cleared = m_pMainWnd == nullptr;
    if (run_loop) PostQuitMessage(0);
    return run_loop ? TRUE : FALSE;
  }
  int ExitInstance() override {
    ++exits;
    return kExitCode;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(StartupApp, CWinAppEx)
  ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

StartupApp the_app;  // built before main, as the tool's application object is

TEST(AppStartupTest, InitInstanceRunsTheDialogAndTheFalseResultEndsThroughExitInstance) {
  probe::RegisterProbeResources();
  platform::dialog::DialogTestDriver driver;
  ASSERT_EQ(AfxGetApp(), &the_app);
  for (bool run_loop : {false, true}) {
    SCOPED_TRACE(run_loop ? "InitInstance TRUE, then Run" : "InitInstance FALSE");
    the_app.run_loop = run_loop;
    int exits_before = the_app.exits;
    int exit_code = 0;
    std::thread ui([&] {
      char name[] = "C:\\tools\\flarnex.exe";
      char* argv[] = {name, nullptr};
      exit_code = AfxWinMain(1, argv);
    });
    HWND hwnd = driver.WaitForDialog(probe::kProbeTemplate);
    ASSERT_NE(hwnd, nullptr);
    // A command the dialog does not handle goes on to the application's map.
    int helps = platform::dialog::HelpRequests();
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    EXPECT_EQ(platform::dialog::HelpRequests(), helps + 1);
    driver.PressCloseBox(hwnd);
    ui.join();
    EXPECT_EQ(exit_code, kExitCode);
    EXPECT_EQ(the_app.exits, exits_before + 1);
    EXPECT_EQ(the_app.dialog_result, IDCANCEL);
    EXPECT_TRUE(the_app.main_window_cleared);
  }
  EXPECT_STREQ(AfxGetAppName(), L"flarnex");
  EXPECT_STREQ(the_app.m_pszRegistryKey, L"Local AppWizard-Generated Applications");
  EXPECT_EQ(platform::dialog::RegisteredCommonControls() & ICC_WIN95_CLASSES, ICC_WIN95_CLASSES);
  EXPECT_FALSE(platform::dialog::UiDispatcher::Get().HasUiThread());
}

TEST(AppStartupTest, ApplicationNameIsTheFileNameWithoutExtension) {
  struct Case {
    const char* path;
    const wchar_t* name;
  };
  const Case kCases[] = {
      {"C:\\Program Files\\Tool\\flarn_test.exe", L"flarn_test"},
      {"/usr/local/bin/flarnex", L"flarnex"},
      {"./build/app/flarnex.bin", L"flarnex"},
      {"archive.tar.gz", L"archive.tar"},
      {".hidden", L".hidden"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(platform::dialog::ApplicationNameFromPath(c.path), c.name) << c.path;
  }
}

}  // namespace
