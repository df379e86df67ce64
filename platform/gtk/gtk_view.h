#pragma once
// The GTK 3 view of the dialog framework: every dialog of the model shown as a GTK window with
// its controls at their template positions, and the user's clicks, keys, tab changes, close box,
// system-menu choices and dropped files fed back as the framework's input. Message boxes and
// file dialogs are modal GTK dialogs. GTK runs on the thread that calls InstallGtkView, which
// must be the thread that then runs the framework's main function (the user-interface thread).

namespace platform::gtk {

// Opens the display and makes the GTK view the framework's view. False when no display can be
// opened; the framework then keeps its built-in view.
bool InstallGtkView(int* argc, char*** argv);

}  // namespace platform::gtk
