#pragma once
// What window tests may ask of the installed GTK view: the widgets that show a window of the
// model, the modal box that is open, and the base units in use.
#include <gtk/gtk.h>

#include "platform/dialog/handles.h"
#include "platform/gtk/dialog_units.h"

namespace platform::gtk::testing {

// The GtkWindow of a dialog; null when the view does not show it.
GtkWidget* WindowOf(HWND dialog);
// The widget of a control (the button, entry, label, image, progress bar or notebook).
GtkWidget* WidgetOf(HWND control);
// The pixel box of a control inside its dialog's client area.
PixelBox BoxOf(HWND control);
// The innermost message box or file dialog that is open, or null.
GtkWidget* OpenModalBox();
BaseUnits Units();

}  // namespace platform::gtk::testing
