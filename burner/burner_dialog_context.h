#pragma once
// What the burner's device work and workflows need of the main dialog: the camera binding, the
// detected flash type and the few effects the workflows have on the window. CFlarn_testDlg
// derives from it and implements the effects with its real controls; tests implement them with
// a recorder, so the workflows build and run without any user interface.
#include <cstdint>
#include <string>

#include "platform/devices/enumeration_interfaces.h"

class BurnerDialogContext {
 public:
  BurnerDialogContext() = default;
  BurnerDialogContext(const BurnerDialogContext&) = delete;
  BurnerDialogContext& operator=(const BurnerDialogContext&) = delete;
  // Releases the filter that the last camera discovery bound.
  virtual ~BurnerDialogContext();

  // Text of the control with this id (SetWindowText).
  virtual void SetItemText(int id, const std::wstring& text) = 0;
  // Shows the control with this id (ShowWindow with SW_SHOW).
  virtual void ShowItem(int id) = 0;
  // Progress bar range 0..max (PBM_SETRANGE, lParam MAKELPARAM(0, max)).
  virtual void SetProgressRange(int id, int max) = 0;
  // Progress bar position (PBM_SETPOS).
  virtual void SetProgressPos(int id, int pos) = 0;
  // Application message box with an OK button (AfxMessageBox, MB_OK); returns when it is closed.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // Message box owned by the dialog, with its own caption and an OK button (CWnd::MessageBox).
  virtual void ShowCaptionedMessage(const std::wstring& text, const std::wstring& caption) = 0;
  // String-table entry in the selected language; empty when there is none.
  virtual std::wstring LoadString(unsigned id) = 0;

  // Capture filter for the dialog's own extension-unit requests; null when none is bound.
  IBaseFilter* m_pFilter = nullptr;
  // Topology node of the extension unit that those requests address.
  std::int32_t m_nodeId = 0;
  // Serial-flash type code and model code of the last flash type detection.
  std::uint8_t m_sfType = 0;
  std::uint8_t m_sfSubType = 0;
};
