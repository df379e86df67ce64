#pragma once
// The control classes the tool binds or reaches by id. They add typed calls over the window
// messages of their classes; the state is the model's.
#include "platform/dialog/cwnd.h"

struct TCITEMW {
  UINT mask = 0;           // TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  LPWSTR pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
using TCITEM = TCITEMW;

class CButton : public CWnd {};
class CEdit : public CWnd {};
class CStatic : public CWnd {};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  int SetPos(int position);  // result: the previous position
  int GetPos() const;
};

class CTabCtrl : public CWnd {
 public:
  // As the class library: the item gets the text, image and parameter that the mask names.
  LONG InsertItem(UINT mask, int index, LPCTSTR text, int image, LPARAM lParam);
  LONG InsertItem(int index, LPCTSTR text);
  int GetCurSel() const;
  int SetCurSel(int index);  // raises no notification
  int GetItemCount() const;
};
