#include "platform/gtk/control_widgets.h"

#include <algorithm>

#include "platform/dialog/messages.h"
#include "platform/gtk/resource_pictures.h"
#include "platform/gtk/window_text.h"
#include "platform/text/code_page.h"

namespace platform::gtk {
namespace {

constexpr int kSystemIconSize = 32;  // pixels, the window system's icon metric

bool IsClass(const platform::dialog::WindowSnapshot& state, const wchar_t* name) {
  return state.window_class == name;
}

void SetLabelText(ControlWidget& control, const std::wstring& text) {
  GtkLabel* label = GTK_LABEL(control.label ? control.label : control.widget);
  switch (control.kind) {
    case ControlKind::kButton:
      gtk_label_set_text_with_mnemonic(label, MnemonicLabel(text).c_str());
      break;
    case ControlKind::kTextLabel:
      // An edit shows its text as it is; a static reads '&' as a mnemonic unless told not to.
      if (control.mnemonic_text) {
        gtk_label_set_text_with_mnemonic(label, MnemonicLabel(text).c_str());
      } else {
        gtk_label_set_text(label, platform::Utf8FromWide(text).c_str());
      }
      break;
    case ControlKind::kEntry:
    case ControlKind::kBitmap:
    case ControlKind::kIcon:
    case ControlKind::kProgress:
    case ControlKind::kTab:
    case ControlKind::kOther:
      break;
  }
}

void ApplyTabs(ControlWidget& control, const platform::dialog::WindowSnapshot& state) {
  GtkNotebook* notebook = GTK_NOTEBOOK(control.widget);
  if (control.switch_page_handler) g_signal_handler_block(notebook, control.switch_page_handler);
  if (!control.applied || state.tab_items != control.tab_items) {
    while (gtk_notebook_get_n_pages(notebook) > 0) gtk_notebook_remove_page(notebook, -1);
    for (const auto& item : state.tab_items) {
      GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
      GtkWidget* tab_label = gtk_label_new(PlainLabel(item.text).c_str());
      gtk_widget_show(page);
      gtk_widget_show(tab_label);
      gtk_notebook_append_page(notebook, page, tab_label);
    }
    control.tab_items = state.tab_items;
    control.tab_selection = -2;  // pages were rebuilt: apply the selection again
  }
  if (state.tab_selection != control.tab_selection) {
    if (state.tab_selection >= 0 && state.tab_selection < gtk_notebook_get_n_pages(notebook)) {
      gtk_notebook_set_current_page(notebook, state.tab_selection);
    }
    control.tab_selection = state.tab_selection;
  }
  if (control.switch_page_handler) g_signal_handler_unblock(notebook, control.switch_page_handler);
}

}  // namespace

ControlKind ControlKindOf(const platform::dialog::WindowSnapshot& state) {
  if (IsClass(state, kButtonClassName)) return ControlKind::kButton;
  if (IsClass(state, kEditClassName)) {
    const bool multi_line = (state.style & ES_MULTILINE) != 0;
    const bool border = (state.style & WS_BORDER) != 0;
    return multi_line || !border ? ControlKind::kTextLabel : ControlKind::kEntry;
  }
  if (IsClass(state, kStaticClassName)) {
    switch (state.style & SS_TYPEMASK) {
      case SS_BITMAP: return ControlKind::kBitmap;
      case SS_ICON: return ControlKind::kIcon;
      default: return ControlKind::kTextLabel;
    }
  }
  if (IsClass(state, PROGRESS_CLASSW)) return ControlKind::kProgress;
  if (IsClass(state, WC_TABCONTROLW)) return ControlKind::kTab;
  return ControlKind::kOther;
}

double ProgressFraction(int range_min, int range_max, int position) {
  if (range_max <= range_min) return 0.0;
  const int clamped = std::clamp(position, range_min, range_max);
  return static_cast<double>(clamped - range_min) / (range_max - range_min);
}

void CreateControlWidget(ControlWidget& control, const platform::dialog::WindowSnapshot& state,
                         BaseUnits units) {
  control.hwnd = state.hwnd;
  control.id = state.id;
  control.kind = ControlKindOf(state);
  control.box = DialogUnitsToPixelBox(state.rect, units);
  const bool is_static = IsClass(state, kStaticClassName);
  control.mnemonic_text = is_static && (state.style & SS_NOPREFIX) == 0;
  control.css_name = std::string(is_static ? "static-" : "control-") +
                     std::to_string(platform::dialog::SerialFromHandle(state.hwnd));
  GtkWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::kButton: {
      widget = gtk_button_new();
      control.label = gtk_label_new(nullptr);
      gtk_label_set_ellipsize(GTK_LABEL(control.label), PANGO_ELLIPSIZE_NONE);
      gtk_widget_show(control.label);
      gtk_container_add(GTK_CONTAINER(widget), control.label);
      if ((state.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        gtk_widget_set_can_default(widget, TRUE);
        gtk_style_context_add_class(gtk_widget_get_style_context(widget), "default");
      }
      gtk_widget_set_focus_on_click(widget, TRUE);
      break;
    }
    case ControlKind::kEntry: {
      widget = gtk_entry_new();
      GtkEntry* entry = GTK_ENTRY(widget);
      gtk_entry_set_has_frame(entry, (state.style & WS_BORDER) != 0);
      gtk_editable_set_editable(GTK_EDITABLE(widget), (state.style & ES_READONLY) == 0);
      gtk_entry_set_width_chars(entry, 1);  // the template gives the width
      if (state.style & ES_CENTER) gtk_entry_set_alignment(entry, 0.5f);
      // An edit takes no dropped text of its own: files dropped on it reach the dialog, as on
      // the window system the templates were made for.
      gtk_drag_dest_unset(widget);
      break;
    }
    case ControlKind::kTextLabel: {
      widget = gtk_label_new(nullptr);
      GtkLabel* label = GTK_LABEL(widget);
      const bool centred = IsClass(state, kEditClassName) && (state.style & ES_CENTER) != 0;
      const bool multi_line = IsClass(state, kEditClassName) && (state.style & ES_MULTILINE) != 0;
      gtk_label_set_xalign(label, centred ? 0.5f : 0.0f);
      gtk_label_set_yalign(label, 0.0f);
      gtk_label_set_justify(label, centred ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
      gtk_label_set_line_wrap(label, multi_line);
      if (IsClass(state, kEditClassName)) gtk_label_set_selectable(label, FALSE);
      break;
    }
    case ControlKind::kBitmap: {
      GdkPixbuf* pixbuf = PixbufFromBitmap(state.picture);
      widget = pixbuf ? gtk_image_new_from_pixbuf(pixbuf) : gtk_image_new();
      if (pixbuf) {
        // A bitmap static takes the size of its picture.
        control.box.width = gdk_pixbuf_get_width(pixbuf);
        control.box.height = gdk_pixbuf_get_height(pixbuf);
        g_object_unref(pixbuf);
      }
      gtk_widget_set_halign(widget, GTK_ALIGN_START);
      gtk_widget_set_valign(widget, GTK_ALIGN_START);
      break;
    }
    case ControlKind::kIcon: {
      GdkPixbuf* pixbuf = PixbufFromIcon(state.picture, kSystemIconSize);
      widget = pixbuf ? gtk_image_new_from_pixbuf(pixbuf) : gtk_image_new();
      if (pixbuf) g_object_unref(pixbuf);
      control.box.width = kSystemIconSize;
      control.box.height = kSystemIconSize;
      break;
    }
    case ControlKind::kProgress:
      widget = gtk_progress_bar_new();
      gtk_widget_set_valign(widget, GTK_ALIGN_FILL);
      break;
    case ControlKind::kTab:
      widget = gtk_notebook_new();
      gtk_notebook_set_show_border(GTK_NOTEBOOK(widget), TRUE);
      break;
    case ControlKind::kOther:
      widget = gtk_drawing_area_new();
      break;
  }
  gtk_widget_set_name(widget, control.css_name.c_str());
  gtk_widget_set_size_request(widget, std::max(control.box.width, 1), std::max(control.box.height, 1));
  control.widget = widget;
  ApplyControlState(control, state);
}

bool ApplyControlState(ControlWidget& control, const platform::dialog::WindowSnapshot& state) {
  bool text_changed = false;
  const bool first = !control.applied;
  if (first || state.text != control.text) {
    switch (control.kind) {
      case ControlKind::kButton:
      case ControlKind::kTextLabel:
        SetLabelText(control, state.text);
        break;
      case ControlKind::kEntry:
        gtk_entry_set_text(GTK_ENTRY(control.widget), platform::Utf8FromWide(state.text).c_str());
        // An edit shows the start of a text too long for it, as the window system's edit does.
        gtk_editable_set_position(GTK_EDITABLE(control.widget), 0);
        break;
      case ControlKind::kBitmap:
      case ControlKind::kIcon:
      case ControlKind::kProgress:
      case ControlKind::kTab:
      case ControlKind::kOther:
        break;
    }
    text_changed = !first || !state.text.empty();
    control.text = state.text;
  }
  if (first || state.visible != control.visible) {
    gtk_widget_set_visible(control.widget, state.visible);
    control.visible = state.visible;
  }
  if (first || state.enabled != control.enabled) {
    gtk_widget_set_sensitive(control.widget, state.enabled);
    control.enabled = state.enabled;
  }
  if (control.kind == ControlKind::kProgress &&
      (first || state.range_min != control.range_min || state.range_max != control.range_max ||
       state.position != control.position)) {
    const double before = ProgressFraction(control.range_min, control.range_max, control.position);
    const double now = ProgressFraction(state.range_min, state.range_max, state.position);
    if (first || now != before) {
      gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(control.widget), now);
    }
    control.range_min = state.range_min;
    control.range_max = state.range_max;
    control.position = state.position;
  }
  if (control.kind == ControlKind::kTab) ApplyTabs(control, state);
  control.applied = true;
  return text_changed;
}

std::string ControlCss(const ControlWidget& control) {
  switch (control.kind) {
    case ControlKind::kProgress: {
      const int bar = std::max(control.box.height - 2, 1);
      const std::string name = "#" + control.css_name;
      return name + " trough, " + name + " progress { min-height: " + std::to_string(bar) + "px; }\n";
    }
    case ControlKind::kButton:
    case ControlKind::kEntry:
    case ControlKind::kTextLabel:
    case ControlKind::kBitmap:
    case ControlKind::kIcon:
    case ControlKind::kTab:
    case ControlKind::kOther:
      return {};
  }
  return {};
}

}  // namespace platform::gtk
