#pragma once
// The tool's main window: the two-tab dialog that loads the ROM image and starts the burn, erase
// and export workers. It is also the context the burner's workflows receive, so its controls are
// what the workflows drive.
#include <cstdint>
#include <string>

#include "burner/burner_dialog_context.h"
#include "platform/dialog/controls.h"
#include "platform/dialog/dialog.h"

// Posted by a worker as its very last step, so that the user-interface thread learns that the
// operation has ended.
constexpr UINT WM_FLARNEX_OPERATION_ENDED = WM_APP + 1;

class CFlarn_testDlg : public CDialog, public BurnerDialogContext {
 public:
  explicit CFlarn_testDlg(CWnd* pParent = nullptr);
  ~CFlarn_testDlg() override;

  // The burner's effects, carried out with the dialog's controls. Callable from a worker: each
  // control call is served by the user-interface thread while the worker waits.
  void SetItemText(int id, const std::wstring& text) override;
  void ShowItem(int id) override;
  void SetProgressRange(int id, int max) override;
  void SetProgressPos(int id, int pos) override;
  void ShowMessage(const std::wstring& text) override;
  void ShowCaptionedMessage(const std::wstring& text, const std::wstring& caption) override;
  std::wstring LoadString(unsigned id) override;

  // True from the click that starts a burn, erase or export until the user-interface thread has
  // seen its worker end. Read and written on the user-interface thread only.
  bool OperationRunning() const { return m_operationRunning; }

  CProgressCtrl m_workProgress;   // 1003: position within the current stage
  CProgressCtrl m_stageProgress;  // 1004: stage counter of a burn
  HICON m_hIcon = nullptr;
  std::int32_t m_imageSize = 0;
  CTabCtrl m_tab;                 // 1025
  CButton m_eraseButton;          // 1005

  // Message handlers.
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnPaint();
  afx_msg HCURSOR OnQueryDragIcon();
  afx_msg void OnBnClickedBrowse();
  afx_msg void OnBnClickedGo();
  afx_msg void OnDestroy();
  afx_msg void OnBnClickedEraseSF();
  afx_msg void OnBnClickedRomExport();
  afx_msg void OnBnClickedGetRomType();
  afx_msg void OnBnClickedFWVersion();
  afx_msg void OnDropFiles(HDROP hDropInfo);
  afx_msg void OnBnClickedRename();
  afx_msg void OnTcnSelchangeTab(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg LRESULT OnOperationEnded(WPARAM wParam, LPARAM lParam);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Enter, Esc and the close box end the dialog, except while an operation runs.
  void OnOK() override;
  void OnCancel() override;

  DECLARE_MESSAGE_MAP()

 private:
  // Loads the file at path into the image buffer; on success the status line asks for GO.
  bool LoadImageFile(const CString& path);
  // Shows path in the path box and loads it; after a failed load the box shows m_imagePath again.
  bool ShowPathAndLoad(const CString& path);
  // Hides the burn's stage bar and labels before a new operation.
  void HideStageControls();
  // Shows the Burn tab's set and hides the Auxiliary Function tab's set.
  void ShowBurnPage();
  // Click handler body shared by GO, Erase SF and Rom Export.
  void StartOperation(void (*threadProc)(void*));
  // Marks an operation running and disables what must wait for it; undone by EndOperation.
  void BeginOperation();
  void EndOperation();
  void EnableItem(int id, BOOL enable);

  bool m_operationRunning = false;
  CString m_imagePath;  // the file the image buffer was loaded from; empty until a load succeeds
};

// The worker threads of the three long operations; each takes the dialog as its argument and
// ends with _endthread.
void BurnThreadProc(void* pParam);
void EraseThreadProc(void* pParam);
void ExportThreadProc(void* pParam);
