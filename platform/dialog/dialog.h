#pragma once
// CDialog: a modal dialog built from a template of the resource module. DoModal creates the
// window and its controls, runs OnInitDialog and then the modal loop on the UI thread (through
// the view) until EndDialog; the owner (the parent given, else the active window, else the
// application's main window) is disabled meanwhile. Enter outside a push button, Esc and the
// close box reach OnOK / OnCancel through the default handling.
#include "platform/dialog/cwnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL save_and_validate)
      : m_bSaveAndValidate(save_and_validate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Binds a control object to the dialog's control with this id (once; later calls do nothing).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
// Moves a control's text to or from a string.
void DDX_Text(CDataExchange* exchange, int id, CString& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT template_id, CWnd* parent = nullptr);
  ~CDialog() override;

  // IDOK, IDCANCEL, the value given to EndDialog, or -1 when the template is missing.
  virtual INT_PTR DoModal();
  // Ends the modal loop with this result; from OnInitDialog it ends the dialog before its loop.
  void EndDialog(int result);
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* exchange) { (void)exchange; }
  BOOL UpdateData(BOOL save_and_validate = TRUE);
  afx_msg virtual void OnOK();
  afx_msg virtual void OnCancel();

  UINT GetTemplateId() const { return template_id_; }

  DECLARE_MESSAGE_MAP()

 private:
  HWND CreateFromTemplate(HWND owner);

  UINT template_id_;
  CWnd* parent_;
  int modal_result_ = -1;
  bool ending_ = false;  // UI thread only
};
