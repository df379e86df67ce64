#include "platform/gtk/modal_boxes.h"

#include <algorithm>

#include "platform/dialog/messages.h"
#include "platform/gtk/file_filters.h"
#include "platform/text/code_page.h"
#include "platform/text/file_names.h"

namespace platform::gtk {
namespace {

// Button ids of the box types beyond those in messages.h.
constexpr UINT kAbortRetryIgnore = 0x0002;
constexpr UINT kYesNoCancel = 0x0003;
constexpr UINT kRetryCancel = 0x0005;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;

// GTK's translation domain: the boxes' buttons and the file dialog speak the system's language,
// as the window system's own boxes do, while the tool's texts stay as the tool wrote them.
constexpr const char* kGtkDomain = "gtk30";
const char* SystemText(const char* text) { return g_dgettext(kGtkDomain, text); }

// The file dialog takes at most this share of the work area, so that its location entry and its
// buttons are on the screen whatever size the chooser asks for.
constexpr int kScreenSharePercent = 90;

GtkMessageType MessageTypeFor(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION: return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

struct LoopState {
  bool done = false;
  int response = GTK_RESPONSE_NONE;
};

void OnResponse(GtkDialog*, gint response, gpointer data) {
  auto* state = static_cast<LoopState*>(data);
  state->done = true;
  state->response = response;
  platform::dialog::Pump::Wake();
}

// The current folder's name as the system holds it (bytes, not necessarily UTF-8).
std::string CurrentFolder() {
  gchar* folder = g_get_current_dir();
  std::string path = folder;
  g_free(folder);
  return path;
}

bool HasWildcard(const std::wstring& name) { return name.find_first_of(L"*?") != std::wstring::npos; }

GtkWidget* FindChooserWidget(GtkWidget* widget) {
  if (GTK_IS_FILE_CHOOSER_WIDGET(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next) {
    found = FindChooserWidget(GTK_WIDGET(child->data));
  }
  g_list_free(children);
  return found;
}

// Keeps a window inside the work area of the monitor its parent is on (the first monitor without
// a parent): no larger than kScreenSharePercent of it, and placed over the parent. The maximum is
// a size hint, so the chooser's own later resizes keep to it too.
void FitToScreen(GtkWindow* window, GtkWindow* parent) {
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
  GdkWindow* parent_window = parent ? gtk_widget_get_window(GTK_WIDGET(parent)) : nullptr;
  GdkMonitor* monitor = parent_window ? gdk_display_get_monitor_at_window(display, parent_window)
                                      : gdk_display_get_monitor(display, 0);
  if (monitor == nullptr) return;
  GdkRectangle area{};
  gdk_monitor_get_workarea(monitor, &area);
  GdkGeometry hints{};
  hints.max_width = area.width * kScreenSharePercent / 100;
  hints.max_height = area.height * kScreenSharePercent / 100;
  gtk_window_set_geometry_hints(window, nullptr, &hints, GDK_HINT_MAX_SIZE);
  int width = 0;
  int height = 0;
  gtk_window_get_default_size(window, &width, &height);
  gtk_window_set_default_size(window, width > 0 ? std::min(width, hints.max_width) : hints.max_width,
                              height > 0 ? std::min(height, hints.max_height) : hints.max_height);
  gtk_window_set_position(window, parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
}

}  // namespace

void RunNestedLoop(platform::dialog::Pump& pump, const std::function<bool()>& done) {
  while (!pump.Serve(done)) g_main_context_iteration(nullptr, TRUE);
}

std::vector<MessageBoxButton> MessageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{"_OK", IDOK}, {"_Cancel", IDCANCEL}};
    case kAbortRetryIgnore: return {{"_Abort", kIdAbort}, {"_Retry", kIdRetry}, {"_Ignore", kIdIgnore}};
    case kYesNoCancel: return {{"_Yes", IDYES}, {"_No", IDNO}, {"_Cancel", IDCANCEL}};
    case MB_YESNO: return {{"_Yes", IDYES}, {"_No", IDNO}};
    case kRetryCancel: return {{"_Retry", kIdRetry}, {"_Cancel", IDCANCEL}};
    default: return {{"_OK", IDOK}};
  }
}

int MessageBoxCloseAnswer(UINT type) {
  const auto buttons = MessageBoxButtons(type);
  for (const auto& button : buttons) {
    if (button.answer == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 && buttons.front().answer == IDOK ? IDOK : 0;
}

int RunGtkMessageBox(const platform::dialog::MessageBoxRequest& request, GtkWindow* parent,
                     platform::dialog::Pump& pump, const std::function<void(GtkWidget*)>& on_shown) {
  const std::string text = platform::Utf8FromWide(request.text);
  GtkWidget* box = gtk_message_dialog_new(parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                          MessageTypeFor(request.type), GTK_BUTTONS_NONE, "%s",
                                          text.c_str());
  const std::string caption = platform::Utf8FromWide(request.caption);
  gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(box), parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  const auto buttons = MessageBoxButtons(request.type);
  for (const auto& button : buttons) {
    gtk_dialog_add_button(GTK_DIALOG(box), SystemText(button.label), button.answer);
  }
  gtk_dialog_set_default_response(GTK_DIALOG(box), buttons.front().answer);
  const int close_answer = MessageBoxCloseAnswer(request.type);
  // The box draws its caption itself, as the dialogs do: without a window manager nobody else
  // would, and the caption is part of what the box says.
  GtkWidget* header = gtk_header_bar_new();
  gtk_header_bar_set_title(GTK_HEADER_BAR(header), caption.c_str());
  gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(header), close_answer != 0);
  gtk_widget_show(header);
  gtk_window_set_titlebar(GTK_WINDOW(box), header);

  LoopState state;
  for (;;) {
    state = LoopState{};
    const gulong handler = g_signal_connect(box, "response", G_CALLBACK(OnResponse), &state);
    gtk_widget_show_all(box);
    gtk_window_present(GTK_WINDOW(box));
    if (on_shown) on_shown(box);
    RunNestedLoop(pump, [&] { return state.done; });
    g_signal_handler_disconnect(box, handler);
    if (state.response > 0) break;
    // Esc or the close box: only a box with a way out takes it.
    if (close_answer != 0) {
      state.response = close_answer;
      break;
    }
  }
  gtk_widget_destroy(box);
  return state.response;
}

std::optional<std::wstring> RunGtkFileDialog(const platform::dialog::FileDialogRequest& request,
                                             GtkWindow* parent, platform::dialog::Pump& pump,
                                             const std::function<void(GtkWidget*)>& on_shown) {
  const GtkFileChooserAction action =
      request.open ? GTK_FILE_CHOOSER_ACTION_OPEN : GTK_FILE_CHOOSER_ACTION_SAVE;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(request.open ? "Open" : "Save As", parent, action,
                                                  SystemText("_Cancel"), GTK_RESPONSE_CANCEL,
                                                  SystemText(request.open ? "_Open" : "_Save"),
                                                  GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  FitToScreen(GTK_WINDOW(dialog), parent);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, (request.flags & OFN_OVERWRITEPROMPT) != 0);
  gtk_file_chooser_set_current_folder(chooser, CurrentFolder().c_str());

  bool first = true;
  for (const auto& entry : request.filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, platform::Utf8FromWide(entry.description).c_str());
    for (const auto& glob : CaseInsensitiveGlobs(platform::Utf8FromWide(entry.pattern))) {
      gtk_file_filter_add_pattern(filter, glob.c_str());
    }
    gtk_file_chooser_add_filter(chooser, filter);  // the chooser takes the reference
    if (first) gtk_file_chooser_set_filter(chooser, filter);  // the first entry is in force
    first = false;
  }

  const std::string initial = platform::Utf8FromWide(request.initial_file_name);
  if (!request.open) {
    gtk_file_chooser_set_current_name(chooser, initial.c_str());
  } else if (!initial.empty() && !HasWildcard(request.initial_file_name)) {
    const std::string name = platform::FileNameFromWide(request.initial_file_name);
    gchar* absolute = g_path_is_absolute(name.c_str()) ? g_strdup(name.c_str())
                                                       : g_build_filename(CurrentFolder().c_str(), name.c_str(), nullptr);
    gtk_file_chooser_set_filename(chooser, absolute);
    g_free(absolute);
  }

  LoopState state;
  g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &state);
  gtk_widget_show_all(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  if (request.open && !initial.empty() && HasWildcard(request.initial_file_name)) {
    // An open dialog shows its initial name in the location entry, as the name box of the
    // window system's dialog does; a pattern there narrows nothing by itself, the filter does.
    if (GtkWidget* widget = FindChooserWidget(dialog)) {
      g_signal_emit_by_name(widget, "location-popup", initial.c_str());
    }
  }
  if (on_shown) on_shown(dialog);
  RunNestedLoop(pump, [&] { return state.done; });

  std::optional<std::wstring> chosen;
  if (state.response == GTK_RESPONSE_ACCEPT) {
    // The chooser gives the name's bytes as the system holds them.
    if (gchar* path = gtk_file_chooser_get_filename(chooser)) {
      chosen = platform::WideFromFileName(path);
      g_free(path);
    }
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

}  // namespace platform::gtk
