#pragma once
// CObject, CCmdTarget and message maps. A message map is a table of entries (message,
// notification code, control id range, handler) ending in an empty entry, chained to the base
// class's map. Handlers are reached through small capture-less thunks that the ON_... macros
// write, so each entry calls the member function with its own signature.
#include "platform/dialog/handles.h"
#include "platform/dialog/messages.h"

class CCmdTarget;

#define afx_msg

struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;  // a notification code such as TCN_SELCHANGE, as an unsigned word
};
using LPNMHDR = NMHDR*;

// Called with the target, the message's wParam and lParam, and the result to fill.
using AFX_MSG_THUNK = void (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
  UINT message = 0;   // 0 ends the table
  UINT code = 0;      // WM_COMMAND: notification code; WM_NOTIFY: NMHDR::code
  UINT id = 0;        // WM_COMMAND / WM_NOTIFY: first control id
  UINT last_id = 0;   // last control id of the range
  AFX_MSG_THUNK thunk = nullptr;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*base_map)() = nullptr;  // null for the root
  const AFX_MSGMAP_ENTRY* entries = nullptr;
};

// Finds the entry for a message in a map chain, most derived first; null when none matches.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);

class CObject {
 public:
  virtual ~CObject() = default;
};

class CCmdTarget : public CObject {
 public:
  virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
  static const AFX_MSGMAP* GetThisMessageMap();
  // Routes a command (WM_COMMAND id and code) through this target's map; true when handled.
  virtual BOOL OnCmdMsg(UINT id, UINT code);
};

#define DECLARE_MESSAGE_MAP()                              \
 public:                                                   \
  static const AFX_MSGMAP* GetThisMessageMap();            \
  const AFX_MSGMAP* GetMessageMap() const override;        \
                                                           \
 protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                  \
    using ThisClass = theClass;                                                      \
    using TheBaseClass = baseClass;                                                  \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                   \
  {0, 0, 0, 0, nullptr}                                                     \
  }                                                                         \
  ;                                                                         \
  static_assert(sizeof(ThisClass) > 0);                                     \
  static const AFX_MSGMAP map{&TheBaseClass::GetThisMessageMap, &entries[0]}; \
  return &map;                                                              \
  }

#define AFX_THUNK(body)                                                               \
  [](CCmdTarget* target_, WPARAM wParam_, LPARAM lParam_, LRESULT* result_) {         \
    (void)wParam_;                                                                    \
    (void)lParam_;                                                                    \
    (void)result_;                                                                    \
    ThisClass* self_ = static_cast<ThisClass*>(target_);                              \
    body;                                                                             \
  }

#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), AFX_THUNK((self_->*(memberFxn))())},
#define ON_BN_CLICKED(id, memberFxn)                                   \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id), \
   AFX_THUNK((self_->*(memberFxn))())},
#define ON_NOTIFY(code, id, memberFxn)                                              \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
   AFX_THUNK((self_->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam_), result_))},
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, 0, AFX_THUNK(*result_ = (self_->*(memberFxn))(wParam_, lParam_))},
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0, 0, AFX_THUNK(self_->OnSysCommand(static_cast<UINT>(wParam_), lParam_))},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(self_->OnPaint())},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_THUNK(self_->OnDestroy())},
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0, 0, AFX_THUNK(*result_ = reinterpret_cast<LRESULT>(self_->OnQueryDragIcon()))},
#define ON_WM_DROPFILES() \
  {WM_DROPFILES, 0, 0, 0, AFX_THUNK(self_->OnDropFiles(reinterpret_cast<HDROP>(wParam_)))},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK(self_->OnClose())},
