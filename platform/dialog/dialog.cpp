#include "platform/dialog/dialog.h"

#include "platform/dialog/app.h"
#include "platform/dialog/file.h"
#include "platform/dialog/menu.h"
#include "platform/dialog/message_box.h"
#include "platform/dialog/resource_module.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/view.h"
#include "platform/dialog/window_model.h"

using platform::dialog::UiDispatcher;
using platform::dialog::WindowModel;
using platform::dialog::WindowSnapshot;

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
  if (exchange == nullptr || exchange->m_pDlgWnd == nullptr || control.m_hWnd != nullptr) return;
  HWND child = WindowModel::Get().ChildById(exchange->m_pDlgWnd->m_hWnd, id);
  if (child == nullptr) return;
  control.m_hWnd = child;
  WindowModel::Get().Attach(child, &control);
}

void DDX_Text(CDataExchange* exchange, int id, CString& value) {
  if (exchange == nullptr || exchange->m_pDlgWnd == nullptr) return;
  CWnd* control = exchange->m_pDlgWnd->GetDlgItem(id);
  if (control == nullptr) return;
  if (exchange->m_bSaveAndValidate) {
    control->GetWindowText(value);
  } else {
    control->SetWindowText(value);
  }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOK)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT template_id, CWnd* parent) : template_id_(template_id), parent_(parent) {}

CDialog::~CDialog() = default;

HWND CDialog::CreateFromTemplate(HWND owner) {
  const platform::dialog::DialogTemplate* dialog =
      platform::dialog::ResourceModule::Get().FindDialog(static_cast<WORD>(template_id_));
  if (dialog == nullptr) return nullptr;
  WindowModel& model = WindowModel::Get();
  WindowSnapshot window{.owner = owner,
                        .window_class = kDialogClassName,
                        .template_id = dialog->id,
                        .language = dialog->language,
                        .text = dialog->caption,
                        .style = dialog->style & ~WS_VISIBLE,  // shown once initialised
                        .ex_style = dialog->ex_style,
                        .visible = false,
                        .enabled = (dialog->style & WS_DISABLED) == 0,
                        .rect = dialog->rect};
  if (dialog->style & WS_SYSMENU) {
    window.system_menu = platform::dialog::StandardSystemMenu(dialog->language);
  }
  HWND hwnd = model.Create(std::move(window));
  for (const auto& control : dialog->controls) {
    model.Create({.parent = hwnd,
                  .window_class = platform::dialog::ControlClassName(control),
                  .id = control.id,
                  .text = control.picture ? L"" : control.text,
                  .style = control.style,
                  .ex_style = control.ex_style,
                  .visible = (control.style & WS_VISIBLE) != 0,
                  .enabled = (control.style & WS_DISABLED) == 0,
                  .rect = control.rect,
                  .picture = control.picture});
  }
  return hwnd;
}

INT_PTR CDialog::DoModal() {
  UiDispatcher& dispatcher = UiDispatcher::Get();
  if (dispatcher.HasUiThread() && !dispatcher.OnUiThread()) {
    INT_PTR result = -1;
    dispatcher.Call([&] { result = DoModal(); });
    return result;
  }
  UiDispatcher::Scope ui_thread;
  WindowModel& model = WindowModel::Get();

  HWND owner = parent_ ? parent_->m_hWnd : model.ActiveWindow();
  if (owner == nullptr && AfxGetApp() && AfxGetApp()->m_pMainWnd && AfxGetApp()->m_pMainWnd != this) {
    owner = AfxGetApp()->m_pMainWnd->m_hWnd;
  }
  HWND hwnd = CreateFromTemplate(owner);
  if (hwnd == nullptr) return -1;
  m_hWnd = hwnd;
  model.Attach(hwnd, this);
  modal_result_ = -1;
  ending_ = false;

  bool disabled_owner = false;
  if (owner != nullptr) {
    model.Update(owner, [&](WindowSnapshot& s) {
      disabled_owner = s.enabled;
      platform::dialog::SetEnabled(s, false);
    });
  }
  model.PushModal(hwnd);

  try {
    OnInitDialog();
  } catch (CException* error) {
    platform::dialog::ReportUncaughtException(*error);
    error->Delete();
  }
  if (!ending_) {
    model.Update(hwnd, [](WindowSnapshot& s) {
      platform::dialog::SetVisible(s, true);
      s.modal_loop_running = true;
    });
    platform::dialog::Pump pump;
    platform::dialog::CurrentView().RunModalLoop(hwnd, pump, [this] { return ending_; });
    model.Update(hwnd, [](WindowSnapshot& s) { s.modal_loop_running = false; });
  }

  platform::dialog::DeliverMessage(hwnd, WM_DESTROY, 0, 0);
  CMenu::ForgetWindow(hwnd);
  model.PopModal(hwnd);
  if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  model.Destroy(hwnd);  // the object keeps living; its handle becomes null
  if (disabled_owner) model.Update(owner, [](WindowSnapshot& s) { platform::dialog::SetEnabled(s, true); });
  return modal_result_;
}

void CDialog::EndDialog(int result) {
  platform::dialog::RunOnUiThread([&] {
    modal_result_ = result;
    ending_ = true;
    WindowModel::Get().Update(m_hWnd, [](WindowSnapshot& s) { platform::dialog::SetVisible(s, false); });
  });
  UiDispatcher::Get().Wake();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL save_and_validate) {
  CDataExchange exchange(this, save_and_validate);
  DoDataExchange(&exchange);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
