#pragma once
// CFileDialog: an open or save dialog answered by the view (headless: the test driver). It is
// modal over its parent, else over the active window, which is disabled while it runs.
#include "platform/dialog/afx_string.h"
#include "platform/dialog/cwnd.h"

class CFileDialog {
 public:
  // filter: "description|pattern|description|pattern|...|"; the first entry is in force.
  explicit CFileDialog(BOOL open_file_dialog, LPCTSTR default_ext = nullptr,
                       LPCTSTR file_name = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       LPCTSTR filter = nullptr, CWnd* parent = nullptr, DWORD size = 0,
                       BOOL vista_style = TRUE);
  virtual ~CFileDialog() = default;

  // IDOK with a path chosen, IDCANCEL otherwise.
  virtual INT_PTR DoModal();
  CString GetPathName() const { return path_; }
  CString GetFileName() const;  // the chosen path's last component
  CString GetFileExt() const;   // its extension, without the dot

 private:
  bool open_;
  CString default_ext_;
  CString file_name_;
  DWORD flags_;
  CString filter_;
  CWnd* parent_;
  CString path_;
};
