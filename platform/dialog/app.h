#pragma once
// The application object and the framework's main function. The tool defines one global
// application object; its constructor registers it, and AfxWinMain runs it: InitInstance, then
// ExitInstance when InitInstance returns FALSE, else Run (which serves the UI thread until
// PostQuitMessage and then calls ExitInstance).
#include <string>
#include <string_view>

#include "platform/dialog/afx_string.h"
#include "platform/dialog/cmd_target.h"

class CWnd;

struct INITCOMMONCONTROLSEX {
  DWORD dwSize = 0;  // bytes: sizeof(INITCOMMONCONTROLSEX), 8
  DWORD dwICC = 0;   // ICC_... classes to register
};
// Records the classes; TRUE when the record's size is right.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
BOOL AfxEnableControlContainer(void* site_manager = nullptr);

class CWinThread : public CCmdTarget {
 public:
  CWnd* m_pMainWnd = nullptr;
  virtual BOOL InitInstance() { return TRUE; }
  virtual int Run();
  virtual int ExitInstance() { return 0; }
};

class CWinApp : public CWinThread {
 public:
  explicit CWinApp(LPCTSTR app_name = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  int Run() override;
  // Only records the name: there is no registry.
  void SetRegistryKey(LPCTSTR key);
  HICON LoadIcon(UINT id) const;
  afx_msg void OnHelp();

  const wchar_t* m_pszRegistryKey = nullptr;
  const wchar_t* m_pszAppName = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  std::wstring registry_key_;
};

class CWinAppEx : public CWinApp {
 public:
  explicit CWinAppEx(BOOL resource_smart_update = FALSE) { (void)resource_smart_update; }
};

CWinApp* AfxGetApp();
// The executable's file name without folder and extension.
LPCTSTR AfxGetAppName();
// Ends CWinApp::Run with this exit code.
void PostQuitMessage(int exit_code);
// The framework's main function: the tool's main calls it with its arguments.
int AfxWinMain(int argc, char** argv);

namespace platform::dialog {

// "C:\\dir\\tool.exe" or "/usr/bin/tool.bin" -> "tool".
std::wstring ApplicationNameFromPath(std::string_view path);
// The classes InitCommonControlsEx registered so far, and how often help was asked for.
DWORD RegisteredCommonControls();
int HelpRequests();

}  // namespace platform::dialog
