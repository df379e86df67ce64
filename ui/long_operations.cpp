// The burn, erase and export: click handlers that start a worker thread, the thread procedures,
// and the one-operation-at-a-time mark. Also the unreachable Get Rom Type handler.
#include <cstring>
#include <span>

#include "burner/burn_workflow.h"
#include "burner/camera_discovery.h"
#include "burner/erase_workflow.h"
#include "burner/export_workflow.h"
#include "platform/runtime/threads.h"
#include "platform/text/code_page.h"
#include "serial_flash/serial_flash.h"
#include "ui/flarn_test_dlg.h"
#include "ui/ui_ids.h"

namespace {

constexpr std::uintptr_t kThreadStartFailed = static_cast<std::uintptr_t>(-1);

// The burn's stage bar and labels, in the order each click hides them.
constexpr int kStageControls[] = {IDC_PROGRESS_STAGE, IDC_STAGE_ERASE,  IDC_STAGE_ERASE_OK, IDC_STAGE_BURN,
                                  IDC_STAGE_BURN_OK,  IDC_STAGE_VERIFY, IDC_STAGE_VERIFY_OK};

// What waits while any operation runs: its starters, the image's Browse and F/W Version, whose
// discovery and library open would run under the worker.
constexpr int kHeldDuringOperation[] = {IDC_GO, IDC_BROWSE, IDC_ERASE_SF, IDC_ROM_EXPORT, IDC_FW_VERSION};

// The chip check is handed a buffer of this size.
constexpr std::size_t kRomTypeBufferSize = 8;

struct LongOperation {
  int (*workflow)(BurnerDialogContext&);
  std::span<const int> buttons;  // disabled by the worker while it runs, in this order
  unsigned successString;
  unsigned failureString;
};

constexpr int kBurnButtons[] = {IDC_GO, IDC_BROWSE};
constexpr int kEraseButtons[] = {IDC_ERASE_SF};
constexpr int kExportButtons[] = {IDC_ROM_EXPORT};

constexpr LongOperation kBurn{.workflow = &BurnRom, .buttons = kBurnButtons,
                              .successString = IDS_BURN_OK, .failureString = IDS_BURN_FAIL};
constexpr LongOperation kErase{.workflow = &EraseFlash, .buttons = kEraseButtons,
                               .successString = IDS_ERASE_OK, .failureString = IDS_ERASE_FAIL};
constexpr LongOperation kExport{.workflow = &ExportRom, .buttons = kExportButtons,
                                .successString = IDS_EXPORT_OK, .failureString = IDS_EXPORT_FAIL};

void SetButtons(CFlarn_testDlg& dlg, const LongOperation& operation, BOOL enable) {
  for (int id : operation.buttons) {
    if (CWnd* button = dlg.GetDlgItem(id)) button->EnableWindow(enable);
  }
}

// The body of every worker. Its last touch of the dialog is the posted end notice: from then on
// the user-interface thread may let the dialog close.
[[noreturn]] void RunOperation(void* pParam, const LongOperation& operation) {
  auto& dlg = *static_cast<CFlarn_testDlg*>(pParam);
  SetButtons(dlg, operation, FALSE);
  const int result = operation.workflow(dlg);
  dlg.SetItemText(IDC_STATUS, dlg.LoadString(result != 0 ? operation.successString : operation.failureString));
  SetButtons(dlg, operation, TRUE);
  dlg.PostMessage(WM_FLARNEX_OPERATION_ENDED);
  _endthread();
}

}  // namespace

void BurnThreadProc(void* pParam) { RunOperation(pParam, kBurn); }
void EraseThreadProc(void* pParam) { RunOperation(pParam, kErase); }
void ExportThreadProc(void* pParam) { RunOperation(pParam, kExport); }

void CFlarn_testDlg::OnBnClickedGo() { StartOperation(&BurnThreadProc); }
void CFlarn_testDlg::OnBnClickedEraseSF() { StartOperation(&EraseThreadProc); }
void CFlarn_testDlg::OnBnClickedRomExport() { StartOperation(&ExportThreadProc); }

void CFlarn_testDlg::HideStageControls() {
  for (int id : kStageControls) GetDlgItem(id)->ShowWindow(SW_HIDE);
}

void CFlarn_testDlg::StartOperation(void (*threadProc)(void*)) {
  // A second operation, and discovery under a running worker, are refused outright.
  if (m_operationRunning) return;
  HideStageControls();
  if (FindVideoDevice(*this) != 0) return;
  BeginOperation();
  if (_beginthread(threadProc, 0, this) == kThreadStartFailed) EndOperation();
}

void CFlarn_testDlg::EnableItem(int id, BOOL enable) {
  if (CWnd* item = GetDlgItem(id)) item->EnableWindow(enable);
}

void CFlarn_testDlg::BeginOperation() {
  m_operationRunning = true;
  for (int id : kHeldDuringOperation) EnableItem(id, FALSE);
}

void CFlarn_testDlg::EndOperation() {
  m_operationRunning = false;
  for (int id : kHeldDuringOperation) EnableItem(id, TRUE);
}

LRESULT CFlarn_testDlg::OnOperationEnded(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  EndOperation();
  return 0;
}

void CFlarn_testDlg::OnBnClickedGetRomType() {
  // The library's open must not run under a worker.
  if (m_operationRunning) return;
  SFOpen();
  // The chip check only tests the buffer and writes nothing into it, so it starts zeroed and is
  // shown as 8-bit text of at most its eight bytes.
  std::uint8_t buffer[kRomTypeBufferSize] = {};
  SFCheck(buffer);
  const auto* bytes = reinterpret_cast<const char*>(buffer);
  SetItemText(IDC_STATUS, platform::WideFromCodePage(std::string_view(bytes, strnlen(bytes, sizeof buffer))));
}
