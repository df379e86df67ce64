#include "platform/dialog/cmd_target.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map{nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id) {
  const bool by_control = message == WM_COMMAND || message == WM_NOTIFY;
  for (; map != nullptr; map = map->base_map ? map->base_map() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->message != 0; ++entry) {
      if (entry->message != message) continue;
      if (by_control && (entry->code != code || id < entry->id || id > entry->last_id)) continue;
      return entry;
    }
  }
  return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
  const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, code, id);
  if (entry == nullptr) return FALSE;
  LRESULT result = 0;
  entry->thunk(this, 0, 0, &result);
  return TRUE;
}
