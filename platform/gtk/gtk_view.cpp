#include "platform/gtk/gtk_view.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "platform/dialog/messages.h"
#include "platform/dialog/paint.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/user_input.h"
#include "platform/dialog/view.h"
#include "platform/dialog/window_model.h"
#include "platform/gtk/control_widgets.h"
#include "platform/gtk/gtk_view_testing.h"
#include "platform/gtk/modal_boxes.h"
#include "platform/gtk/resource_pictures.h"
#include "platform/gtk/uri_list.h"
#include "platform/gtk/view_trace.h"
#include "platform/gtk/window_text.h"
#include "platform/text/code_page.h"
#include "platform/text/file_names.h"

namespace platform::gtk {
namespace {

using platform::dialog::WindowChange;
using platform::dialog::WindowModel;
using platform::dialog::WindowSnapshot;

// The templates' font, and the look that keeps the controls inside their template rects.
constexpr const char* kTemplateFont = "Sans 8";
constexpr const char* kDialogCss =
    "window.flarnex-dialog, window.flarnex-dialog * {"
    "  font-family: Sans, \"WenQuanYi Micro Hei\", \"Noto Sans CJK SC\"; font-size: 8pt; }\n"
    "window.flarnex-dialog fixed button { padding: 0px 4px; min-height: 0px; min-width: 0px; }\n"
    "window.flarnex-dialog fixed entry { padding: 0px 3px; min-height: 0px; min-width: 0px; }\n"
    "window.flarnex-dialog fixed notebook > header > tabs > tab {"
    "  padding: 2px 8px; min-height: 0px; min-width: 0px; }\n"
    "window.flarnex-dialog fixed progressbar { min-width: 0px; }\n";
constexpr const char* kUriListTarget = "text/uri-list";
constexpr int kWindowIconSize = 32;  // pixels

// Wakes the GTK main loop when the framework has queued work, and serves it there.
struct WorkSource {
  GSource base;
  std::atomic<bool>* pending;
};

gboolean WorkPrepare(GSource* source, gint* timeout) {
  *timeout = -1;
  return reinterpret_cast<WorkSource*>(source)->pending->load();
}
gboolean WorkCheck(GSource* source) { return reinterpret_cast<WorkSource*>(source)->pending->load(); }
gboolean WorkDispatch(GSource* source, GSourceFunc, gpointer) {
  reinterpret_cast<WorkSource*>(source)->pending->store(false);
  platform::dialog::UiDispatcher::Get().ServePending();
  return G_SOURCE_CONTINUE;
}
GSourceFuncs work_source_funcs = {WorkPrepare, WorkCheck, WorkDispatch, nullptr, nullptr, nullptr};

class GtkView;

struct DialogEntry {
  GtkView* view = nullptr;
  HWND hwnd = nullptr;
  WORD template_id = 0;
  GtkWidget* window = nullptr;
  GtkWidget* header = nullptr;
  GtkWidget* menu_button = nullptr;
  GtkWidget* fixed = nullptr;
  std::vector<HWND> controls;  // creation order
  bool placed = false;         // controls are in the GtkFixed
  bool traced = false;

  bool applied = false;
  std::wstring caption;
  bool visible = false;
  bool minimized = false;
  bool accepts_files = false;
  std::vector<platform::dialog::MenuItem> system_menu;
  WORD icon_id = 0;
};

struct ControlEntry {
  GtkView* view = nullptr;
  HWND dialog = nullptr;
  ControlWidget widget;
  bool placed = false;
};

struct MenuChoice {
  GtkView* view;
  HWND dialog;
  UINT id;
};

class GtkView final : public platform::dialog::View {
 public:
  GtkView() : gtk_thread_(std::this_thread::get_id()) {
    units_ = MeasureBaseUnits(gdk_pango_context_get(), kTemplateFont);
    GtkCssProvider* base = gtk_css_provider_new();
    gtk_css_provider_load_from_data(base, kDialogCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(base),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(base);
    control_css_ = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(control_css_),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);

    GSource* source = g_source_new(&work_source_funcs, sizeof(WorkSource));
    reinterpret_cast<WorkSource*>(source)->pending = &work_pending_;
    // Queued work may open a box whose nested loop must serve further work.
    g_source_set_can_recurse(source, TRUE);
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_attach(source, nullptr);
    g_source_unref(source);
    // The dispatcher calls this only when the user-interface thread may be asleep; a wakeup still
    // pending needs no second one.
    platform::dialog::UiDispatcher::Get().SetWorkPendingHook([this] {
      if (!work_pending_.exchange(true)) g_main_context_wakeup(nullptr);
    });
  }

  void OnWindowChanged(HWND hwnd, WindowChange change) override {
    if (std::this_thread::get_id() == gtk_thread_) {
      Handle(hwnd, change);
      return;
    }
    // A change made while no thread owns the user interface: GTK is touched on its own thread.
    struct Pending {
      GtkView* view;
      HWND hwnd;
      WindowChange change;
    };
    g_main_context_invoke_full(
        nullptr, G_PRIORITY_HIGH,
        [](gpointer data) -> gboolean {
          auto* pending = static_cast<Pending*>(data);
          pending->view->Handle(pending->hwnd, pending->change);
          return G_SOURCE_REMOVE;
        },
        new Pending{this, hwnd, change}, [](gpointer data) { delete static_cast<Pending*>(data); });
  }

  void RunModalLoop(HWND dialog, platform::dialog::Pump& pump,
                    const std::function<bool()>& ended) override {
    if (auto* entry = FindDialog(dialog)) Refresh(*entry);
    RunNestedLoop(pump, ended);
  }

  int RunMessageBox(const platform::dialog::MessageBoxRequest& request,
                    platform::dialog::Pump& pump) override {
    trace_.Line({"msgbox", platform::Utf8FromWide(request.caption), platform::Utf8FromWide(request.text)});
    const int answer = RunGtkMessageBox(request, ParentFor(request.owner), pump,
                                        [this](GtkWidget* box) { open_boxes_.push_back(box); });
    open_boxes_.pop_back();
    trace_.Line({"answer", std::to_string(answer)});
    return answer;
  }

  std::optional<std::wstring> RunFileDialog(const platform::dialog::FileDialogRequest& request,
                                            platform::dialog::Pump& pump) override {
    trace_.Line({"filedialog", platform::Utf8FromWide(request.initial_file_name)});
    auto chosen = RunGtkFileDialog(request, ParentFor(request.owner), pump,
                                   [this](GtkWidget* box) { open_boxes_.push_back(box); });
    open_boxes_.pop_back();
    return chosen;
  }

  // For tests.
  GtkWidget* WindowOf(HWND dialog) {
    auto* entry = FindDialog(dialog);
    return entry ? entry->window : nullptr;
  }
  ControlEntry* FindControl(HWND hwnd) {
    auto it = controls_.find(hwnd);
    return it == controls_.end() ? nullptr : it->second.get();
  }
  GtkWidget* OpenModalBox() const { return open_boxes_.empty() ? nullptr : open_boxes_.back(); }
  BaseUnits units() const { return units_; }

 private:
  DialogEntry* FindDialog(HWND hwnd) {
    auto it = dialogs_.find(hwnd);
    return it == dialogs_.end() ? nullptr : it->second.get();
  }

  void Handle(HWND hwnd, WindowChange change) {
    switch (change) {
      case WindowChange::kCreated: {
        auto state = WindowModel::Get().Snapshot(hwnd);
        if (!state) return;
        if (state->parent == nullptr) {
          CreateDialog(*state);
        } else if (DialogEntry* dialog = FindDialog(state->parent)) {
          CreateControl(*dialog, *state);
        }
        return;
      }
      case WindowChange::kChanged:
        if (DialogEntry* dialog = FindDialog(hwnd)) {
          Refresh(*dialog);
        } else if (ControlEntry* control = FindControl(hwnd)) {
          RefreshControl(*control);
        }
        return;
      case WindowChange::kDestroyed:
        DestroyWindow(hwnd);
        return;
    }
  }

  // Dialogs.

  void CreateDialog(const WindowSnapshot& state) {
    auto entry = std::make_unique<DialogEntry>();
    entry->view = this;
    entry->hwnd = state.hwnd;
    entry->template_id = state.template_id;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    entry->window = window;
    gtk_style_context_add_class(gtk_widget_get_style_context(window), "flarnex-dialog");
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);

    // A header bar stands in for the caption: title, close box and the system menu.
    entry->header = gtk_header_bar_new();
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(entry->header), (state.style & WS_SYSMENU) != 0);
    entry->menu_button = gtk_menu_button_new();
    gtk_button_set_image(GTK_BUTTON(entry->menu_button),
                         gtk_image_new_from_icon_name("open-menu-symbolic", GTK_ICON_SIZE_BUTTON));
    gtk_widget_set_tooltip_text(entry->menu_button, "System menu");
    gtk_header_bar_pack_start(GTK_HEADER_BAR(entry->header), entry->menu_button);
    gtk_window_set_titlebar(GTK_WINDOW(window), entry->header);
    gtk_widget_show_all(entry->header);

    entry->fixed = gtk_fixed_new();
    const PixelBox client = DialogUnitsToPixelBox(state.rect, units_);
    gtk_widget_set_size_request(entry->fixed, client.width, client.height);
    gtk_container_add(GTK_CONTAINER(window), entry->fixed);
    gtk_widget_show(entry->fixed);

    if (state.owner != nullptr) {
      if (DialogEntry* owner = FindDialog(state.owner)) {
        gtk_window_set_transient_for(GTK_WINDOW(window), GTK_WINDOW(owner->window));
        gtk_window_set_modal(GTK_WINDOW(window), TRUE);
        gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER_ON_PARENT);
      }
    }

    DialogEntry* raw = entry.get();
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDeleteEvent), raw);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), raw);
    g_signal_connect(window, "window-state-event", G_CALLBACK(OnWindowState), raw);
    g_signal_connect(window, "drag-data-received", G_CALLBACK(OnDragDataReceived), raw);
    g_signal_connect_after(window, "map-event", G_CALLBACK(OnMapped), raw);
    dialogs_[state.hwnd] = std::move(entry);
    Apply(*raw, state);
  }

  void Refresh(DialogEntry& dialog) {
    if (auto state = WindowModel::Get().Snapshot(dialog.hwnd)) Apply(dialog, *state);
  }

  void Apply(DialogEntry& dialog, const WindowSnapshot& state) {
    const bool first = !dialog.applied;
    if (first || state.text != dialog.caption) {
      const std::string title = platform::Utf8FromWide(state.text);
      gtk_window_set_title(GTK_WINDOW(dialog.window), title.c_str());
      gtk_header_bar_set_title(GTK_HEADER_BAR(dialog.header), title.c_str());
      dialog.caption = state.text;
    }
    if (first || !MenusEqual(state.system_menu, dialog.system_menu)) {
      RebuildSystemMenu(dialog, state.system_menu);
      dialog.system_menu = state.system_menu;
    }
    const bool accepts_files = (state.ex_style & WS_EX_ACCEPTFILES) != 0;
    if (first || accepts_files != dialog.accepts_files) {
      if (accepts_files) {
        static const GtkTargetEntry targets[] = {{const_cast<gchar*>(kUriListTarget), 0, 0}};
        gtk_drag_dest_set(dialog.window, GTK_DEST_DEFAULT_ALL, targets, 1, GDK_ACTION_COPY);
      } else if (!first) {
        gtk_drag_dest_unset(dialog.window);
      }
      dialog.accepts_files = accepts_files;
    }
    const WORD icon_id = platform::dialog::IconIdForHandle(state.big_icon ? state.big_icon : state.small_icon);
    if (icon_id != dialog.icon_id) {
      if (GList* icons = PixbufListFromIcon(icon_id)) {
        gtk_window_set_icon_list(GTK_WINDOW(dialog.window), icons);
        g_list_free_full(icons, g_object_unref);
      } else if (GdkPixbuf* icon = PixbufFromIcon(icon_id, kWindowIconSize)) {
        gtk_window_set_icon(GTK_WINDOW(dialog.window), icon);
        g_object_unref(icon);
      }
      dialog.icon_id = icon_id;
    }
    if (first || state.visible != dialog.visible) {
      if (state.visible) {
        PlaceControls(dialog);
        gtk_widget_show(dialog.window);
        gtk_window_present(GTK_WINDOW(dialog.window));
      } else {
        gtk_widget_hide(dialog.window);
      }
      dialog.visible = state.visible;
    }
    if (state.minimized != dialog.minimized) {
      dialog.minimized = state.minimized;
      if (state.minimized) {
        gtk_window_iconify(GTK_WINDOW(dialog.window));
      } else {
        gtk_window_deiconify(GTK_WINDOW(dialog.window));
      }
    }
    dialog.applied = true;
  }

  static bool MenusEqual(const std::vector<platform::dialog::MenuItem>& a,
                         const std::vector<platform::dialog::MenuItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
      return x.flags == y.flags && x.id == y.id && x.text == y.text;
    });
  }

  void RebuildSystemMenu(DialogEntry& dialog, const std::vector<platform::dialog::MenuItem>& items) {
    GtkWidget* menu = gtk_menu_new();
    for (const auto& item : items) {
      GtkWidget* widget = nullptr;
      if (item.flags & MF_SEPARATOR) {
        widget = gtk_separator_menu_item_new();
      } else {
        widget = gtk_menu_item_new_with_mnemonic(MnemonicLabel(item.text).c_str());
        gtk_widget_set_sensitive(widget, (item.flags & (MF_GRAYED | MF_DISABLED)) == 0);
        auto* choice = new MenuChoice{this, dialog.hwnd, static_cast<UINT>(item.id)};
        g_signal_connect_data(widget, "activate", G_CALLBACK(OnMenuItem), choice,
                              [](gpointer data, GClosure*) { delete static_cast<MenuChoice*>(data); },
                              GConnectFlags{});
      }
      gtk_widget_show(widget);
      gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
    }
    // The menu button owns the menu and destroys the one it replaces.
    gtk_menu_button_set_popup(GTK_MENU_BUTTON(dialog.menu_button), menu);
    gtk_widget_set_visible(dialog.menu_button, !items.empty());
  }

  // Controls.

  void CreateControl(DialogEntry& dialog, const WindowSnapshot& state) {
    auto entry = std::make_unique<ControlEntry>();
    entry->view = this;
    entry->dialog = dialog.hwnd;
    CreateControlWidget(entry->widget, state, units_);
    g_object_ref_sink(entry->widget.widget);  // kept until placed, and until destroyed
    ControlEntry* raw = entry.get();
    switch (entry->widget.kind) {
      case ControlKind::kButton:
        g_signal_connect(entry->widget.widget, "clicked", G_CALLBACK(OnButtonClicked), raw);
        break;
      case ControlKind::kTab: {
        // The notebook is a drop site of its own, for dragging tabs, and would refuse files
        // dropped over the page area; without it they reach the dialog.
        gtk_drag_dest_unset(entry->widget.widget);
        entry->widget.switch_page_handler =
            g_signal_connect(entry->widget.widget, "switch-page", G_CALLBACK(OnSwitchPage), raw);
        break;
      }
      case ControlKind::kEntry:
      case ControlKind::kTextLabel:
      case ControlKind::kBitmap:
      case ControlKind::kIcon:
      case ControlKind::kProgress:
      case ControlKind::kOther:
        break;
    }
    dialog.controls.push_back(state.hwnd);
    controls_[state.hwnd] = std::move(entry);
    if (dialog.placed) {
      PlaceControl(dialog, *raw);
      UpdateControlCss();
      SetFocusChain(dialog);
    }
  }

  // Adds the controls to the dialog in the window system's stacking order: the first control of
  // the template lies on top, and the tab control (last in the template) underneath the page
  // controls that lie over its area.
  void PlaceControls(DialogEntry& dialog) {
    if (dialog.placed) return;
    dialog.placed = true;
    for (auto it = dialog.controls.rbegin(); it != dialog.controls.rend(); ++it) {
      if (ControlEntry* control = FindControl(*it)) PlaceControl(dialog, *control);
    }
    UpdateControlCss();
    SetFocusChain(dialog);
  }

  void PlaceControl(DialogEntry& dialog, ControlEntry& control) {
    if (control.placed) return;
    gtk_fixed_put(GTK_FIXED(dialog.fixed), control.widget.widget, control.widget.box.x, control.widget.box.y);
    control.placed = true;
  }

  void SetFocusChain(DialogEntry& dialog) {
    GList* chain = nullptr;
    for (HWND hwnd : dialog.controls) {
      ControlEntry* control = FindControl(hwnd);
      if (control == nullptr || !control->placed) continue;
      const auto state = WindowModel::Get().Snapshot(hwnd);
      if (state && (state->style & WS_TABSTOP)) chain = g_list_append(chain, control->widget.widget);
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(dialog.fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
  }

  void UpdateControlCss() {
    std::string css;
    for (const auto& [hwnd, control] : controls_) css += ControlCss(control->widget);
    if (css == control_css_text_) return;
    control_css_text_ = css;
    gtk_css_provider_load_from_data(control_css_, css.c_str(), -1, nullptr);
  }

  void RefreshControl(ControlEntry& control) {
    auto state = WindowModel::Get().Snapshot(control.widget.hwnd);
    if (!state) return;
    if (ApplyControlState(control.widget, *state) && control.widget.id != IDC_STATIC) {
      trace_.Line({"text", std::to_string(control.widget.id), platform::Utf8FromWide(state->text)});
    }
  }

  void DestroyWindow(HWND hwnd) {
    if (auto it = controls_.find(hwnd); it != controls_.end()) {
      GtkWidget* widget = it->second->widget.widget;
      g_signal_handlers_disconnect_by_data(widget, it->second.get());
      if (DialogEntry* dialog = FindDialog(it->second->dialog)) {
        std::erase(dialog->controls, hwnd);
      }
      gtk_widget_destroy(widget);
      g_object_unref(widget);
      controls_.erase(it);
      return;
    }
    if (auto it = dialogs_.find(hwnd); it != dialogs_.end()) {
      DialogEntry* dialog = it->second.get();
      for (HWND control : std::vector<HWND>(dialog->controls)) DestroyWindow(control);
      g_signal_handlers_disconnect_by_data(dialog->window, dialog);
      gtk_widget_destroy(dialog->window);
      dialogs_.erase(it);
    }
  }

  GtkWindow* ParentFor(HWND owner) {
    HWND top = owner;
    while (top != nullptr) {
      auto state = WindowModel::Get().Snapshot(top);
      if (!state || state->parent == nullptr) break;
      top = state->parent;
    }
    if (DialogEntry* dialog = FindDialog(top); dialog && dialog->visible) {
      return GTK_WINDOW(dialog->window);
    }
    // No owner given: the box goes over the innermost dialog that is shown.
    GtkWindow* parent = nullptr;
    for (const auto& [hwnd, dialog] : dialogs_) {
      if (dialog->visible) parent = GTK_WINDOW(dialog->window);
    }
    return parent;
  }

  void TraceDialog(DialogEntry& dialog) {
    if (!trace_.enabled() || dialog.traced) return;
    dialog.traced = true;
    unsigned long xid = 0;
#ifdef GDK_WINDOWING_X11
    GdkWindow* gdk_window = gtk_widget_get_window(dialog.window);
    if (gdk_window && GDK_IS_X11_WINDOW(gdk_window)) xid = gdk_x11_window_get_xid(gdk_window);
#endif
    const std::string template_id = std::to_string(dialog.template_id);
    trace_.Line({"window", template_id, std::to_string(xid),
                 std::to_string(gtk_widget_get_allocated_width(dialog.window)),
                 std::to_string(gtk_widget_get_allocated_height(dialog.window))});
    int origin_x = 0;
    int origin_y = 0;
    gtk_widget_translate_coordinates(dialog.fixed, dialog.window, 0, 0, &origin_x, &origin_y);
    for (HWND hwnd : dialog.controls) {
      ControlEntry* control = FindControl(hwnd);
      if (control == nullptr || control->widget.id == IDC_STATIC) continue;
      const PixelBox& box = control->widget.box;
      trace_.Line({"control", template_id, std::to_string(control->widget.id),
                   std::to_string(origin_x + box.x), std::to_string(origin_y + box.y),
                   std::to_string(box.width), std::to_string(box.height)});
    }
  }

  // Signal handlers: what the user does becomes the framework's input.

  static gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer data) {
    auto* dialog = static_cast<DialogEntry*>(data);
    platform::dialog::PressCloseBox(dialog->hwnd);
    return TRUE;  // the window goes when the model destroys it
  }

  static gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    auto* dialog = static_cast<DialogEntry*>(data);
    const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    if (modifiers != 0) return FALSE;
    switch (event->keyval) {
      case GDK_KEY_Escape:
        platform::dialog::PressEscape(dialog->hwnd);
        return TRUE;
      case GDK_KEY_Return:
      case GDK_KEY_KP_Enter:
      case GDK_KEY_ISO_Enter: {
        int focused_id = 0;
        if (GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window))) {
          for (HWND hwnd : dialog->controls) {
            ControlEntry* control = dialog->view->FindControl(hwnd);
            if (control && control->widget.widget == focus) focused_id = control->widget.id;
          }
        }
        platform::dialog::PressEnter(dialog->hwnd, focused_id);
        return TRUE;
      }
      default:
        return FALSE;
    }
  }

  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* dialog = static_cast<DialogEntry*>(data);
    if ((event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) == 0) return FALSE;
    const bool iconified = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    if (iconified != dialog->minimized) {
      dialog->minimized = iconified;
      platform::dialog::SetMinimized(dialog->hwnd, iconified);
    }
    return FALSE;
  }

  static void OnDragDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data,
                                 guint, guint, gpointer user_data) {
    auto* dialog = static_cast<DialogEntry*>(user_data);
    const guchar* bytes = gtk_selection_data_get_data(data);
    const gint length = gtk_selection_data_get_length(data);
    if (bytes == nullptr || length <= 0) return;
    const std::string_view text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    std::vector<std::wstring> paths;
    // A file URI carries the name's bytes, percent-encoded, whatever their encoding.
    for (const auto& path : PathsFromUriList(text)) paths.push_back(platform::WideFromFileName(path));
    if (paths.empty()) return;
    platform::dialog::DropFiles(dialog->hwnd, std::move(paths));
  }

  static gboolean OnMapped(GtkWidget*, GdkEvent*, gpointer data) {
    auto* dialog = static_cast<DialogEntry*>(data);
    dialog->view->TraceDialog(*dialog);
    return FALSE;
  }

  static void OnMenuItem(GtkMenuItem*, gpointer data) {
    auto* choice = static_cast<MenuChoice*>(data);
    platform::dialog::ChooseSystemMenuItem(choice->dialog, choice->id);
  }

  static void OnButtonClicked(GtkButton*, gpointer data) {
    auto* control = static_cast<ControlEntry*>(data);
    platform::dialog::ClickButton(control->dialog, control->widget.id);
  }

  static void OnSwitchPage(GtkNotebook*, GtkWidget*, guint page, gpointer data) {
    auto* control = static_cast<ControlEntry*>(data);
    platform::dialog::SelectTab(control->dialog, control->widget.id, static_cast<int>(page));
    // The notebook turns the page at once; when the framework drops the input (the dialog is
    // disabled by a box) the model keeps its selection, and the notebook is set back to it.
    struct Resync {
      GtkView* view;
      HWND hwnd;
    };
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer user) -> gboolean {
          auto* resync = static_cast<Resync*>(user);
          if (ControlEntry* tab = resync->view->FindControl(resync->hwnd)) {
            tab->widget.tab_selection = gtk_notebook_get_current_page(GTK_NOTEBOOK(tab->widget.widget));
            resync->view->RefreshControl(*tab);
          }
          return G_SOURCE_REMOVE;
        },
        new Resync{control->view, control->widget.hwnd}, [](gpointer user) { delete static_cast<Resync*>(user); });
  }

  const std::thread::id gtk_thread_;
  BaseUnits units_;
  std::atomic<bool> work_pending_{false};
  GtkCssProvider* control_css_ = nullptr;
  std::string control_css_text_;
  ViewTrace trace_;
  std::map<HWND, std::unique_ptr<DialogEntry>> dialogs_;
  std::map<HWND, std::unique_ptr<ControlEntry>> controls_;
  std::vector<GtkWidget*> open_boxes_;
};

GtkView* installed_view = nullptr;

}  // namespace

bool InstallGtkView(int* argc, char*** argv) {
  if (installed_view != nullptr) return true;
  if (!gtk_init_check(argc, argv)) return false;
  // Lives to the end of the process: the framework may ask it for boxes until then.
  installed_view = new GtkView();
  platform::dialog::SetView(installed_view);
  return true;
}

namespace testing {

GtkWidget* WindowOf(HWND dialog) { return installed_view ? installed_view->WindowOf(dialog) : nullptr; }

GtkWidget* WidgetOf(HWND control) {
  if (installed_view == nullptr) return nullptr;
  ControlEntry* entry = installed_view->FindControl(control);
  return entry ? entry->widget.widget : nullptr;
}

PixelBox BoxOf(HWND control) {
  if (installed_view == nullptr) return {};
  ControlEntry* entry = installed_view->FindControl(control);
  return entry ? entry->widget.box : PixelBox{};
}

GtkWidget* OpenModalBox() { return installed_view ? installed_view->OpenModalBox() : nullptr; }

BaseUnits Units() { return installed_view ? installed_view->units() : BaseUnits{}; }

}  // namespace testing
}  // namespace platform::gtk
