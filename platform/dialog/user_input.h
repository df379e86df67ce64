#pragma once
// User input, as a view (or the test driver) feeds it. Each call may be made from any thread; the
// input is queued for the UI thread and the returned ticket settles once it has been handled or
// has opened a modal box (see InputTicket). Input to a control that is hidden or disabled, or to
// a dialog disabled by a box or nested dialog, is dropped.
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog/handles.h"
#include "platform/dialog/ui_dispatcher.h"

namespace platform::dialog {

using Ticket = std::shared_ptr<InputTicket>;

// A click on a button: WM_COMMAND BN_CLICKED to its dialog.
Ticket ClickButton(HWND dialog, int id);
// A click on a tab: TCN_SELCHANGING, the new selection, TCN_SELCHANGE (WM_NOTIFY to the dialog).
// Clicking the selected tab changes nothing.
Ticket SelectTab(HWND dialog, int tab_control_id, int index);
// Enter: with a push button focused, a click on it; else the default push button's id (IDOK when
// there is none) as a command.
Ticket PressEnter(HWND dialog, int focused_id = 0);
// Esc: IDCANCEL as a command.
Ticket PressEscape(HWND dialog);
// The caption's close box: WM_SYSCOMMAND SC_CLOSE.
Ticket PressCloseBox(HWND dialog);
// An item of the system menu: WM_SYSCOMMAND with its id.
Ticket ChooseSystemMenuItem(HWND dialog, UINT id);
// Files dropped on the window: WM_DROPFILES when it accepts files.
Ticket DropFiles(HWND window, std::vector<std::wstring> paths);
// The window needs painting: WM_PAINT.
Ticket PaintWindow(HWND window);
// Minimise or restore: WM_SYSCOMMAND SC_MINIMIZE / SC_RESTORE.
Ticket SetMinimized(HWND window, bool minimized);

}  // namespace platform::dialog
