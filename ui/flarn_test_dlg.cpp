// The main dialog: construction, data exchange, message map, start-up, system menu, painting,
// tab switching, destruction, and the burner's effects on the dialog's controls.
#include "ui/flarn_test_dlg.h"

#include <algorithm>

#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "burner/firmware_information.h"
#include "platform/dialog/app.h"
#include "platform/dialog/menu.h"
#include "platform/dialog/message_box.h"
#include "platform/dialog/paint.h"
#include "serial_flash/serial_flash.h"
#include "ui/about_dlg.h"
#include "ui/ui_ids.h"

namespace {

// Every system command carries its own code in the low four bits.
constexpr UINT kSystemCommandMask = 0xFFF0;

// The controls of each tab's page, in the order they are shown or hidden.
constexpr int kBurnPage[] = {IDC_BROWSE, IDC_IMAGE_PATH, IDC_GO};
constexpr int kAuxiliaryPage[] = {IDC_ERASE_SF, IDC_ROM_EXPORT, IDC_EXPORT_NAME, IDC_FW_VERSION};
// The burn's stage controls, in the order leaving the Burn tab hides them.
constexpr int kStageControlsOnTabChange[] = {IDC_STAGE_ERASE,    IDC_STAGE_BURN,    IDC_STAGE_VERIFY,
                                             IDC_STAGE_ERASE_OK, IDC_STAGE_BURN_OK, IDC_STAGE_VERIFY_OK,
                                             IDC_PROGRESS_STAGE};
// What start-up hides: the Auxiliary Function page, then the stage controls.
constexpr int kHiddenAtStart[] = {IDC_ERASE_SF,       IDC_ROM_EXPORT,   IDC_EXPORT_NAME, IDC_FW_VERSION,
                                  IDC_PROGRESS_STAGE, IDC_STAGE_ERASE,  IDC_STAGE_ERASE_OK,
                                  IDC_STAGE_BURN,     IDC_STAGE_BURN_OK, IDC_STAGE_VERIFY,
                                  IDC_STAGE_VERIFY_OK};

constexpr int kBurnTab = 0;
constexpr int kAuxiliaryTab = 1;

}  // namespace

CFlarn_testDlg::CFlarn_testDlg(CWnd* pParent) : CDialog(IDD_MAIN_DIALOG, pParent) {
  if (CWinApp* app = AfxGetApp()) m_hIcon = app->LoadIcon(IDR_MAINFRAME);
}

// The members go in reverse order, then the bases; the context base releases the camera filter
// that the last discovery bound.
CFlarn_testDlg::~CFlarn_testDlg() = default;

void CFlarn_testDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS_WORK, m_workProgress);
  DDX_Control(pDX, IDC_PROGRESS_STAGE, m_stageProgress);
  DDX_Control(pDX, IDC_TAB, m_tab);
  DDX_Control(pDX, IDC_ERASE_SF, m_eraseButton);
}

BEGIN_MESSAGE_MAP(CFlarn_testDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_BROWSE, &CFlarn_testDlg::OnBnClickedBrowse)
  ON_BN_CLICKED(IDC_GO, &CFlarn_testDlg::OnBnClickedGo)
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_ERASE_SF, &CFlarn_testDlg::OnBnClickedEraseSF)
  ON_BN_CLICKED(IDC_ROM_EXPORT, &CFlarn_testDlg::OnBnClickedRomExport)
  ON_BN_CLICKED(IDC_GET_ROM_TYPE, &CFlarn_testDlg::OnBnClickedGetRomType)
  ON_BN_CLICKED(IDC_FW_VERSION, &CFlarn_testDlg::OnBnClickedFWVersion)
  ON_WM_DROPFILES()
  ON_BN_CLICKED(IDC_RENAME, &CFlarn_testDlg::OnBnClickedRename)
  ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, &CFlarn_testDlg::OnTcnSelchangeTab)
  ON_MESSAGE(WM_FLARNEX_OPERATION_ENDED, &CFlarn_testDlg::OnOperationEnded)
END_MESSAGE_MAP()

BOOL CFlarn_testDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  if (CMenu* pSysMenu = GetSystemMenu(FALSE); pSysMenu != nullptr) {
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  if (FindVideoDevice(*this) != 0) {
    AfxMessageBox(L"Can't find video device!", MB_OK);
    EndDialog(-1);
    return FALSE;
  }

  m_imageSize = static_cast<std::int32_t>(kImageSize);
  g_imageBuffer = new std::uint8_t[kImageSize];
  std::fill_n(g_imageBuffer, kImageSize, std::uint8_t{0xFF});

  CString tabText;
  tabText.LoadString(IDS_TAB_BURN);
  m_tab.InsertItem(TCIF_TEXT, kBurnTab, tabText, 0, 0);
  tabText.LoadString(IDS_TAB_AUX);
  m_tab.InsertItem(TCIF_TEXT, kAuxiliaryTab, tabText, 0, 0);
  m_tab.SendMessage(TCM_SETCURSEL, kBurnTab, 0);

  for (int id : kHiddenAtStart) GetDlgItem(id)->ShowWindow(SW_HIDE);

  SetItemText(IDC_STATUS, LoadString(IDS_IDLE));

  std::uint8_t chipId = 0;
  if (GetChipIDValue(*this, &chipId) == 0) {
    AfxMessageBox(L"GetChipIDValue Failed!", MB_OK);
    SFClose();
    return FALSE;
  }
  g_chipId = chipId;
  return TRUE;
}

void CFlarn_testDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & kSystemCommandMask) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CFlarn_testDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
  } else {
    CDialog::OnPaint();
  }
}

HCURSOR CFlarn_testDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CFlarn_testDlg::OnTcnSelchangeTab(NMHDR* /*pNMHDR*/, LRESULT* pResult) {
  const int selection = static_cast<int>(m_tab.SendMessage(TCM_GETCURSEL, 0, 0));
  if (selection == kBurnTab) {
    ShowBurnPage();
  } else if (selection == kAuxiliaryTab) {
    for (int id : kAuxiliaryPage) GetDlgItem(id)->ShowWindow(SW_SHOW);
    for (int id : kBurnPage) GetDlgItem(id)->ShowWindow(SW_HIDE);
    for (int id : kStageControlsOnTabChange) GetDlgItem(id)->ShowWindow(SW_HIDE);
  }
  if (pResult != nullptr) *pResult = 0;
}

void CFlarn_testDlg::ShowBurnPage() {
  for (int id : kBurnPage) GetDlgItem(id)->ShowWindow(SW_SHOW);
  for (int id : kAuxiliaryPage) GetDlgItem(id)->ShowWindow(SW_HIDE);
}

void CFlarn_testDlg::OnDestroy() {
  CDialog::OnDestroy();
  if (g_imageBuffer != nullptr) {
    delete[] g_imageBuffer;
    g_imageBuffer = nullptr;
  }
}

void CFlarn_testDlg::OnOK() {
  if (m_operationRunning) return;
  CDialog::OnOK();
}

void CFlarn_testDlg::OnCancel() {
  if (m_operationRunning) return;
  CDialog::OnCancel();
}

void CFlarn_testDlg::OnBnClickedFWVersion() {
  // Discovery and the library's open and close must not run under a worker.
  if (m_operationRunning) return;
  ShowFirmwareVersion(*this);
}

// --- The burner's effects -------------------------------------------------------------------------

void CFlarn_testDlg::SetItemText(int id, const std::wstring& text) {
  if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text.c_str());
}

void CFlarn_testDlg::ShowItem(int id) {
  if (CWnd* item = GetDlgItem(id)) item->ShowWindow(SW_SHOW);
}

void CFlarn_testDlg::SetProgressRange(int id, int max) {
  if (CWnd* item = GetDlgItem(id)) item->SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, max));
}

void CFlarn_testDlg::SetProgressPos(int id, int pos) {
  if (CWnd* item = GetDlgItem(id)) item->SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CFlarn_testDlg::ShowMessage(const std::wstring& text) { AfxMessageBox(text.c_str(), MB_OK); }

void CFlarn_testDlg::ShowCaptionedMessage(const std::wstring& text, const std::wstring& caption) {
  MessageBox(text.c_str(), caption.c_str(), MB_OK);
}

std::wstring CFlarn_testDlg::LoadString(unsigned id) {
  CString text;
  text.LoadString(id);
  return text.str();
}
