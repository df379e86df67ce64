#include "platform/dialog/app.h"

#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/dialog/paint.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/text/code_page.h"

namespace {

std::atomic<CWinApp*> the_app{nullptr};
std::atomic<DWORD> registered_controls{0};
std::atomic<int> help_requests{0};
std::mutex app_name_mutex;
std::wstring app_name;  // set once, by AfxWinMain or on first use
bool app_name_set = false;
bool app_named_by_constructor = false;  // a name given to CWinApp wins over the file name
std::optional<int> quit_code;  // UI thread only

void SetAppNameFromPath(std::string_view path) {
  std::lock_guard lock(app_name_mutex);
  if (app_named_by_constructor) return;
  app_name = platform::dialog::ApplicationNameFromPath(path);
  app_name_set = true;
}

}  // namespace

namespace platform::dialog {

std::wstring ApplicationNameFromPath(std::string_view path) {
  std::string_view file = path.substr(path.find_last_of("/\\") == std::string_view::npos
                                          ? 0
                                          : path.find_last_of("/\\") + 1);
  if (auto dot = file.find_last_of('.'); dot != std::string_view::npos && dot > 0) file = file.substr(0, dot);
  return platform::WideFromUtf8(file);
}

DWORD RegisteredCommonControls() { return registered_controls.load(); }
int HelpRequests() { return help_requests.load(); }

}  // namespace platform::dialog

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (init == nullptr || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  registered_controls.fetch_or(init->dwICC);
  return TRUE;
}

BOOL AfxEnableControlContainer(void*) { return TRUE; }

int CWinThread::Run() {
  // Serve the UI thread's queues until the quit request.
  quit_code.reset();
  platform::dialog::UiDispatcher::Get().ServeUntil([] { return quit_code.has_value(); });
  int code = *quit_code;
  quit_code.reset();
  (void)code;
  return ExitInstance();
}

void PostQuitMessage(int exit_code) {
  platform::dialog::UiDispatcher::Get().Post([exit_code] { quit_code = exit_code; });
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR name) {
  CWinApp* expected = nullptr;
  the_app.compare_exchange_strong(expected, this);  // the first application object is the one
  if (name != nullptr) {
    std::lock_guard lock(app_name_mutex);
    app_name = name;
    app_name_set = true;
    app_named_by_constructor = true;
  }
}

CWinApp::~CWinApp() {
  CWinApp* expected = this;
  the_app.compare_exchange_strong(expected, nullptr);
}

int CWinApp::Run() { return CWinThread::Run(); }

void CWinApp::SetRegistryKey(LPCTSTR key) {
  registry_key_ = key ? key : L"";
  m_pszRegistryKey = registry_key_.c_str();
}

HICON CWinApp::LoadIcon(UINT id) const { return ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCE(id)); }

void CWinApp::OnHelp() { help_requests.fetch_add(1); }  // the tool ships no help file

CWinApp* AfxGetApp() { return the_app.load(); }

LPCTSTR AfxGetAppName() {
  std::lock_guard lock(app_name_mutex);
  if (!app_name_set) {
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    app_name = platform::dialog::ApplicationNameFromPath(length > 0 ? std::string_view(path, static_cast<size_t>(length)) : "");
    app_name_set = true;
  }
  return app_name.c_str();
}

int AfxWinMain(int argc, char** argv) {
  if (argc > 0 && argv != nullptr && argv[0] != nullptr) SetAppNameFromPath(argv[0]);
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_pszAppName = AfxGetAppName();
  platform::dialog::UiDispatcher::Scope ui_thread;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
