#include "probe_dialog.h"

#include <array>
#include <mutex>

#include <gtest/gtest.h>

#include "platform/dialog/resource_module.h"

namespace probe {
namespace {

using platform::dialog::ControlTemplate;
using platform::dialog::kClassOrdinalButton;
using platform::dialog::kClassOrdinalEdit;

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

constexpr std::array<ControlTemplate, 6> kProbeControls{{
    {.id = kClickButton, .class_ordinal = kClassOrdinalButton, .text = L"Click",
     .style = kShown | WS_TABSTOP, .rect = {10, 10, 50, 14}},
    {.id = kHiddenButton, .class_ordinal = kClassOrdinalButton, .text = L"Hidden",
     .style = WS_CHILD, .rect = {70, 10, 50, 14}},
    {.id = kDisabledButton, .class_ordinal = kClassOrdinalButton, .text = L"Disabled",
     .style = kShown | WS_DISABLED, .rect = {130, 10, 50, 14}},
    {.id = kTab, .class_name = WC_TABCONTROLW, .style = kShown, .rect = {5, 30, 190, 60}},
    {.id = kProgress, .class_name = PROGRESS_CLASSW, .style = kShown, .rect = {10, 95, 180, 8}},
    {.id = kStatus, .class_ordinal = kClassOrdinalEdit, .style = kShown | ES_READONLY,
     .rect = {10, 105, 180, 14}},
}};

constexpr std::array<ControlTemplate, 1> kNestedControls{{
    {.id = IDOK, .class_ordinal = kClassOrdinalButton, .text = L"OK",
     .style = kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, .rect = {60, 40, 50, 14}},
}};

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

constexpr std::array<platform::dialog::StringEntry, 1> kStrings{{{.id = kStatusString, .text = L"Ready"}}};

}  // namespace

void RegisterProbeResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto& module = platform::dialog::ResourceModule::Get();
    module.RegisterDialog({.id = kProbeTemplate, .language = platform::dialog::kLangEnglishUS,
                           .style = kDialogStyle | WS_VISIBLE, .ex_style = WS_EX_ACCEPTFILES,
                           .rect = {0, 0, 200, 125}, .caption = L"Probe", .controls = kProbeControls});
    module.RegisterDialog({.id = kNestedTemplate, .language = platform::dialog::kLangEnglishUS,
                           .style = kDialogStyle, .rect = {0, 0, 170, 62}, .caption = L"Nested",
                           .controls = kNestedControls});
    module.RegisterStrings(platform::dialog::kLangEnglishUS, kStrings);
  });
}

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(kClickButton, &ProbeDialog::OnClick)
  ON_BN_CLICKED(kHiddenButton, &ProbeDialog::OnHiddenClick)
  ON_BN_CLICKED(kDisabledButton, &ProbeDialog::OnDisabledClick)
  ON_WM_DESTROY()
  ON_WM_DROPFILES()
  ON_NOTIFY(TCN_SELCHANGING, kTab, &ProbeDialog::OnSelChanging)
  ON_NOTIFY(TCN_SELCHANGE, kTab, &ProbeDialog::OnSelChange)
  ON_MESSAGE(kWorkerDone, &ProbeDialog::OnWorkerDone)
END_MESSAGE_MAP()

void ProbeDialog::DoDataExchange(CDataExchange* exchange) {
  CDialog::DoDataExchange(exchange);
  if (GetTemplateId() != kProbeTemplate) return;
  DDX_Control(exchange, kProgress, m_progress);
  DDX_Control(exchange, kTab, m_tab);
}

BOOL ProbeDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (GetTemplateId() == kProbeTemplate) {
    m_tab.InsertItem(TCIF_TEXT, 0, L"First", 0, 0);
    m_tab.InsertItem(TCIF_TEXT, 1, L"Second", 0, 0);
    m_tab.SendMessage(TCM_SETCURSEL, 0);  // raises no notification
  }
  if (on_init) on_init(*this);
  return TRUE;
}

void ProbeDialog::OnClick() {
  ++clicks;
  if (on_click) on_click(*this);
}

void ProbeDialog::OnSelChanging(NMHDR*, LRESULT* result) {
  ++selchanging;
  *result = 0;
}

void ProbeDialog::OnSelChange(NMHDR* header, LRESULT* result) {
  EXPECT_EQ(header->idFrom, static_cast<UINT_PTR>(kTab));
  selections_seen.push_back(static_cast<int>(m_tab.SendMessage(TCM_GETCURSEL)));
  *result = 0;
}

void ProbeDialog::OnSysCommand(UINT id, LPARAM lParam) {
  system_commands.push_back(id);
  if ((id & 0xFFF0) == kAboutCommand) {
    ProbeDialog about(kNestedTemplate);
    about.DoModal();
  } else {
    CDialog::OnSysCommand(id, lParam);
  }
}

void ProbeDialog::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  dc.DrawIcon((rect.Width() - cx + 1) / 2, (rect.Height() - cy + 1) / 2, icon);
}

void ProbeDialog::OnDestroy() {
  ++destroys;
  CDialog::OnDestroy();
}

void ProbeDialog::OnDropFiles(HDROP drop) {
  if (on_drop) on_drop(*this, drop);
  DragFinish(drop);
}

LRESULT ProbeDialog::OnWorkerDone(WPARAM wParam, LPARAM) {
  worker_done.push_back(wParam);
  return 0;
}

}  // namespace probe
