#pragma once
// The About box, opened from the main dialog's system menu. It has no data and no handlers of its
// own: OK, Esc and the close box end it through the dialog defaults.
#include "platform/dialog/dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  ~CAboutDlg() override;

  DECLARE_MESSAGE_MAP()
};
