#include "platform/dialog/message_box.h"

#include <thread>

#include "platform/dialog/app.h"
#include "platform/dialog/file.h"
#include "platform/dialog/modal.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/view.h"

namespace platform::dialog {

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT type, HWND owner) {
  MessageBoxRequest request{.text = text, .caption = caption, .type = type, .owner = owner,
                            .asking_thread = std::this_thread::get_id()};
  int answer = IDOK;
  RunOnUiThread([&] {
    answer = RunModalBox(owner, [&](HWND disabled, Pump& pump) {
      request.owner = disabled;
      return CurrentView().RunMessageBox(request, pump);
    });
  });
  return answer;
}

void ReportUncaughtException(const CException& error) {
  AfxMessageBox(error.ErrorText(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace platform::dialog

int AfxMessageBox(LPCTSTR text, UINT type, UINT help_id) {
  (void)help_id;  // there is no help system
  if ((type & MB_ICONMASK) == 0) {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL:
        type |= MB_ICONEXCLAMATION;
        break;
      case MB_YESNO:
        type |= MB_ICONQUESTION;
        break;
      default:
        break;
    }
  }
  return platform::dialog::ShowMessageBox(text ? text : L"", AfxGetAppName(), type, nullptr);
}

int AfxMessageBox(UINT prompt_string_id, UINT type, UINT help_id) {
  CString text;
  text.LoadString(prompt_string_id);
  return AfxMessageBox(text, type, help_id);
}
