#pragma once
// The application: one global object whose InitInstance runs the main dialog modally. When the
// dialog closes InitInstance returns FALSE, so the process ends without another message loop.
#include "platform/dialog/app.h"

class CFlarn_testApp : public CWinAppEx {
 public:
  CFlarn_testApp();
  ~CFlarn_testApp() override;

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

// The one application object (ui/flarnex_app.cpp). Every executable that links flarnex_ui gets it.
extern CFlarn_testApp theApp;
