#pragma once
// One GTK widget per control of a dialog, placed at the control's template rect, and the code
// that brings the widget up to date with the control's state in the model.
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/dialog/window_model.h"
#include "platform/gtk/dialog_units.h"

namespace platform::gtk {

enum class ControlKind {
  kButton,       // push button
  kEntry,        // edit with a frame: a single-line GtkEntry
  kTextLabel,    // text static, or a borderless multi-line edit such as a status line
  kBitmap,       // bitmap static: the picture at its own size
  kIcon,         // icon static: the icon at the system icon size
  kProgress,     // progress bar
  kTab,          // tab control: a GtkNotebook with empty pages; the page controls lie over it
  kOther,        // a class the view does not know: an empty area
};

ControlKind ControlKindOf(const platform::dialog::WindowSnapshot& control);

// What a control widget shows now; compared against the model so that only changes reach GTK
// (a burn sets the progress bar thousands of times).
struct ControlWidget {
  HWND hwnd = nullptr;
  int id = 0;
  ControlKind kind = ControlKind::kOther;
  GtkWidget* widget = nullptr;  // placed in the dialog's GtkFixed
  GtkWidget* label = nullptr;   // a button's label
  PixelBox box;                 // pixels in the dialog's client area
  std::string css_name;         // widget name used by per-control CSS rules
  bool mnemonic_text = false;   // a static without SS_NOPREFIX reads '&' as a mnemonic mark

  bool applied = false;
  std::wstring text;
  bool visible = false;
  bool enabled = true;
  int range_min = 0;
  int range_max = 100;
  int position = 0;
  std::vector<platform::dialog::TabItem> tab_items;
  int tab_selection = -1;
  gulong switch_page_handler = 0;  // blocked while the model sets the selection
};

// Creates the widget (not yet placed) for a control; `units` converts its rect.
void CreateControlWidget(ControlWidget& control, const platform::dialog::WindowSnapshot& state,
                         BaseUnits units);

// Brings the widget up to date; returns true when the text changed.
bool ApplyControlState(ControlWidget& control, const platform::dialog::WindowSnapshot& state);

// CSS rules that size this control's inner parts to its box (empty when none are needed).
std::string ControlCss(const ControlWidget& control);

// The fraction a progress bar shows for its range and position, clamped to 0..1.
double ProgressFraction(int range_min, int range_max, int position);

}  // namespace platform::gtk
