#include "ui/flarn_test_app.h"

#include "platform/dialog/controls.h"
#include "platform/dialog/dialog.h"
#include "ui/flarn_test_dlg.h"

// The registry key names only where the class library would keep its own settings; the tool
// itself stores nothing.
constexpr const wchar_t* kRegistryKey = L"Local AppWizard-Generated Applications";

BEGIN_MESSAGE_MAP(CFlarn_testApp, CWinAppEx)
  ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CFlarn_testApp::CFlarn_testApp() : CWinAppEx(TRUE) {}

CFlarn_testApp::~CFlarn_testApp() = default;

BOOL CFlarn_testApp::InitInstance() {
  INITCOMMONCONTROLSEX initControls;
  initControls.dwSize = sizeof(initControls);
  initControls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&initControls);

  CWinAppEx::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey(kRegistryKey);

  {
    CFlarn_testDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
  }
  // The dialog has ended: return FALSE so that the process ends instead of entering Run.
  return FALSE;
}
