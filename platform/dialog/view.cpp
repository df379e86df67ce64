#include "platform/dialog/view.h"

#include <atomic>

#include "platform/dialog/messages.h"
#include "platform/dialog/modal.h"
#include "platform/dialog/ui_dispatcher.h"

namespace platform::dialog {
namespace {

// Without a view: every box takes its first button, every file dialog is cancelled.
class DefaultView : public View {
 public:
  int RunMessageBox(const MessageBoxRequest& request, Pump&) override {
    switch (request.type & MB_TYPEMASK) {
      case MB_YESNO: return IDYES;
      default: return IDOK;
    }
  }
  std::optional<std::wstring> RunFileDialog(const FileDialogRequest&, Pump&) override {
    return std::nullopt;
  }
};

DefaultView default_view;
std::atomic<View*> current_view{nullptr};

// The top-level window a window belongs to.
HWND TopLevel(HWND hwnd) {
  for (;;) {
    auto snapshot = WindowModel::Get().Snapshot(hwnd);
    if (!snapshot || snapshot->parent == nullptr) return snapshot ? hwnd : nullptr;
    hwnd = snapshot->parent;
  }
}

}  // namespace

PixelRect DialogUnitsToPixels(const DialogUnitRect& rect) {
  auto x = [](int units) { return units * kDialogBaseUnitX / 4; };
  auto y = [](int units) { return units * kDialogBaseUnitY / 8; };
  return {x(rect.x), y(rect.y), x(rect.x + rect.cx), y(rect.y + rect.cy)};
}

void Pump::WaitUntil(const std::function<bool()>& done) { UiDispatcher::Get().ServeUntil(done); }
bool Pump::Serve(const std::function<bool()>& done) { return UiDispatcher::Get().ServeQueued(done); }
void Pump::Wake() { UiDispatcher::Get().Wake(); }

void SetView(View* view) { current_view.store(view); }

View& CurrentView() {
  View* view = current_view.load();
  return view ? *view : default_view;
}

int RunModalBox(HWND owner, const std::function<int(HWND disabled, Pump& pump)>& run) {
  UiDispatcher::Scope scope;  // a box asked for while no thread owns the UI runs on the asker
  WindowModel& model = WindowModel::Get();
  HWND target = owner ? TopLevel(owner) : model.ActiveWindow();
  bool disabled = false;
  if (target != nullptr) {
    model.Update(target, [&](WindowSnapshot& s) {
      disabled = s.enabled;
      SetEnabled(s, false);
    });
  }
  Pump pump;
  int answer = run(target, pump);
  if (disabled) model.Update(target, [](WindowSnapshot& s) { SetEnabled(s, true); });
  return answer;
}

}  // namespace platform::dialog
