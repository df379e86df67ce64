#include "platform/dialog/controls.h"

void CProgressCtrl::SetRange(short lower, short upper) {
  SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
}

void CProgressCtrl::SetRange32(int lower, int upper) {
  SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

int CProgressCtrl::SetPos(int position) {
  return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0));
}

int CProgressCtrl::GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS, 0, 0)); }

LONG CTabCtrl::InsertItem(UINT mask, int index, LPCTSTR text, int image, LPARAM lParam) {
  TCITEMW item;
  item.mask = mask;
  item.pszText = const_cast<LPWSTR>(text);
  item.iImage = image;
  item.lParam = lParam;
  return static_cast<LONG>(SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(&item)));
}

LONG CTabCtrl::InsertItem(int index, LPCTSTR text) { return InsertItem(TCIF_TEXT, index, text, 0, 0); }

int CTabCtrl::GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }

int CTabCtrl::SetCurSel(int index) {
  return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index)));
}

int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
