#pragma once
// The message box and the open/save dialog as modal GTK dialogs. Each runs a nested loop on the
// user-interface thread that keeps serving the framework's queued work, so a worker thread that
// asked for the box, or sends to a control meanwhile, never stalls the window.
#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/dialog/view.h"

namespace platform::gtk {

// Iterates the GTK main context, serving the framework's queues, until done() holds; the sends
// pending then are served before it returns. done() runs under the dispatcher's lock.
void RunNestedLoop(platform::dialog::Pump& pump, const std::function<bool()>& done);

struct MessageBoxButton {
  const char* label;  // GTK's own text for the button, shown in the system's language
  int answer;         // IDOK, IDCANCEL...
};
// The buttons of a box type (MB_TYPEMASK part), in order; and the answer that Esc or the close
// box gives (0: the box cannot be closed that way).
std::vector<MessageBoxButton> MessageBoxButtons(UINT type);
int MessageBoxCloseAnswer(UINT type);

// Runs the box over `parent` (may be null). `on_shown` is told the box's window once it is up.
int RunGtkMessageBox(const platform::dialog::MessageBoxRequest& request, GtkWindow* parent,
                     platform::dialog::Pump& pump, const std::function<void(GtkWidget*)>& on_shown);

// Runs the file dialog over `parent`; the chosen path, or nothing on cancel.
std::optional<std::wstring> RunGtkFileDialog(const platform::dialog::FileDialogRequest& request,
                                             GtkWindow* parent, platform::dialog::Pump& pump,
                                             const std::function<void(GtkWidget*)>& on_shown);

}  // namespace platform::gtk
