#pragma once
// Message boxes. They may be asked for on any thread: the box is shown by the UI thread (through
// the view) while the asking thread waits, and the UI thread keeps serving sends meanwhile. The
// window that is active when the box opens is disabled until it closes.
#include <string>

#include "platform/dialog/handles.h"

class CException;

// The application's box: caption = the application name; with no icon given, an OK or OK/Cancel
// box gets the exclamation icon (a Yes/No box the question icon).
int AfxMessageBox(LPCTSTR text, UINT type = 0, UINT help_id = 0);
int AfxMessageBox(UINT prompt_string_id, UINT type = 0, UINT help_id = static_cast<UINT>(-1));

namespace platform::dialog {

// Shows a box with exactly this text, caption and type, owned by owner (or the active window).
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT type, HWND owner);

// What the message dispatch does with an exception that escaped a handler.
void ReportUncaughtException(const CException& error);

}  // namespace platform::dialog
