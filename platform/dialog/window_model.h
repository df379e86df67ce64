#pragma once
// The model: the state of every window and control, held in one place under one lock. Windows are
// created and changed on the UI thread (the CWnd calls marshal there); anyone may read snapshots.
// Each change is reported to the view (see view.h) on the thread that made it.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog/handles.h"
#include "platform/dialog/resource_module.h"

class CWnd;

namespace platform::dialog {

struct TabItem {
  std::wstring text{};
  int image = -1;
  LPARAM param = 0;
  friend bool operator==(const TabItem&, const TabItem&) = default;
};

struct MenuItem {
  UINT flags = 0;       // MF_STRING, MF_SEPARATOR, MF_GRAYED...
  UINT_PTR id = 0;
  std::wstring text{};
};

// What a window has been painted with, in order, since it was created.
enum class PaintKind {
  kDefault,              // the default painting of the window
  kIconEraseBackground,  // WM_ICONERASEBKGND reached the default handling
  kDrawIcon,             // DrawIcon through a paint context
};
struct PaintRecord {
  PaintKind kind = PaintKind::kDefault;
  int x = 0;             // pixels, for kDrawIcon
  int y = 0;
  HICON icon = nullptr;
};

// The state of one window.
struct WindowSnapshot {
  HWND hwnd = nullptr;
  HWND parent = nullptr;          // for controls: their dialog
  HWND owner = nullptr;           // for dialogs: the window disabled while they run
  std::wstring window_class{};      // "#32770" for dialogs, "Button", "Edit", "Static",
                                  // "msctls_progress32", "SysTabControl32"
  int id = 0;                     // control id; -1 for id-less statics
  WORD template_id = 0;           // dialogs: their template
  WORD language = 0;              // dialogs: the template's language
  std::wstring text{};
  DWORD style = 0;
  DWORD ex_style = 0;
  bool visible = false;           // the window's own WS_VISIBLE
  bool enabled = true;            // !WS_DISABLED
  bool minimized = false;
  bool modal_loop_running = false;  // dialogs: their modal loop is serving
  DialogUnitRect rect;            // dialog units, from the template
  int range_min = 0;              // progress bars
  int range_max = 100;
  int position = 0;
  std::vector<TabItem> tab_items{};  // tab controls
  int tab_selection = -1;
  WORD picture = 0;               // icon or bitmap statics: resource id
  HICON big_icon = nullptr;       // dialogs: WM_SETICON
  HICON small_icon = nullptr;
  std::vector<MenuItem> system_menu{};  // dialogs with WS_SYSMENU
  std::vector<PaintRecord> paints{};
};

// Change the visible and enabled flags together with their style bits.
inline void SetVisible(WindowSnapshot& s, bool visible) {
  s.visible = visible;
  s.style = visible ? (s.style | 0x10000000u) : (s.style & ~0x10000000u);  // WS_VISIBLE
}
inline void SetEnabled(WindowSnapshot& s, bool enabled) {
  s.enabled = enabled;
  s.style = enabled ? (s.style & ~0x08000000u) : (s.style | 0x08000000u);  // WS_DISABLED
}

enum class WindowChange { kCreated, kChanged, kDestroyed };

class WindowModel {
 public:
  static WindowModel& Get();

  // Creates a window from an initial state (its hwnd is assigned) and returns its handle.
  HWND Create(WindowSnapshot initial);
  // Destroys a window and its children (children first); their temporary objects go with them.
  void Destroy(HWND hwnd);

  bool Exists(HWND hwnd) const;
  std::optional<WindowSnapshot> Snapshot(HWND hwnd) const;
  std::vector<WindowSnapshot> SnapshotAll() const;
  // Children in creation order.
  std::vector<HWND> Children(HWND parent) const;
  HWND ChildById(HWND parent, int id) const;
  // The window's own flag and those of all its parents.
  bool IsVisibleWithParents(HWND hwnd) const;
  bool IsEnabledWithParents(HWND hwnd) const;

  // Changes a window's state; false when the window does not exist. The view is told afterwards.
  bool Update(HWND hwnd, const std::function<void(WindowSnapshot&)>& change);
  // Reads under the lock without copying.
  bool Read(HWND hwnd, const std::function<void(const WindowSnapshot&)>& read) const;

  // The permanent object of a window (dialogs, controls bound by DDX_Control), or null.
  CWnd* PermanentObject(HWND hwnd) const;
  void Attach(HWND hwnd, CWnd* object);
  void Detach(HWND hwnd);
  // The object to hand out for a window: the permanent one, else a temporary one that lives as
  // long as the window.
  CWnd* ObjectFor(HWND hwnd);

  // Modal windows, innermost last: the active window is the innermost.
  void PushModal(HWND hwnd);
  void PopModal(HWND hwnd);
  HWND ActiveWindow() const;

 private:
  struct Entry {
    WindowSnapshot state;
    CWnd* permanent = nullptr;
    std::unique_ptr<CWnd> temporary;
    std::vector<HWND> children{};
  };
  void Notify(HWND hwnd, WindowChange change);

  mutable std::recursive_mutex mutex_;
  std::map<HWND, Entry> windows_;
  std::vector<HWND> modal_stack_{};
  std::uintptr_t next_serial_ = 1;
};

}  // namespace platform::dialog
