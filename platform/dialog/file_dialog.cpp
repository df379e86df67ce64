#include "platform/dialog/file_dialog.h"

#include "platform/dialog/modal.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/view.h"

CFileDialog::CFileDialog(BOOL open_file_dialog, LPCTSTR default_ext, LPCTSTR file_name, DWORD flags,
                         LPCTSTR filter, CWnd* parent, DWORD size, BOOL vista_style)
    : open_(open_file_dialog != FALSE),
      default_ext_(default_ext),
      file_name_(file_name),
      flags_(flags),
      filter_(filter),
      parent_(parent) {
  (void)size;
  (void)vista_style;  // the view decides how the dialog looks
}

INT_PTR CFileDialog::DoModal() {
  platform::dialog::FileDialogRequest request{.open = open_,
                                              .default_extension = default_ext_.str(),
                                              .initial_file_name = file_name_.str(),
                                              .flags = flags_,
                                              .filter = filter_.str()};
  // Split "desc|pattern|desc|pattern|": a trailing lone description has no pattern and is dropped.
  std::wstring filter = filter_.str();
  std::vector<std::wstring> parts;
  for (size_t start = 0; start < filter.size();) {
    size_t bar = filter.find(L'|', start);
    if (bar == std::wstring::npos) bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // "||" ends the list
    request.filters.push_back({parts[i], parts[i + 1]});
  }

  std::optional<std::wstring> chosen;
  HWND owner = parent_ ? parent_->m_hWnd : nullptr;
  platform::dialog::RunOnUiThread([&] {
    platform::dialog::RunModalBox(owner, [&](HWND disabled, platform::dialog::Pump& pump) {
      request.owner = disabled;
      chosen = platform::dialog::CurrentView().RunFileDialog(request, pump);
      return 0;
    });
  });
  if (!chosen || chosen->empty()) return IDCANCEL;
  path_ = CString(*chosen);
  return IDOK;
}

CString CFileDialog::GetFileName() const {
  int slash = std::max(path_.ReverseFind(L'/'), path_.ReverseFind(L'\\'));
  return path_.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  int dot = name.ReverseFind(L'.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}
