#include "platform/gtk/window_text.h"

#include "platform/text/code_page.h"

namespace platform::gtk {
namespace {

std::wstring Converted(std::wstring_view text, bool keep_mnemonic) {
  const size_t tab = text.find(L'\t');
  if (tab != std::wstring_view::npos) text = text.substr(0, tab);
  std::wstring out;
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        out += L'&';
        ++i;
      } else if (keep_mnemonic && i + 1 < text.size()) {
        out += L'_';
      }
    } else if (c == L'_' && keep_mnemonic) {
      out += L"__";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string MnemonicLabel(std::wstring_view text) {
  return platform::Utf8FromWide(Converted(text, true));
}

std::string PlainLabel(std::wstring_view text) {
  return platform::Utf8FromWide(Converted(text, false));
}

}  // namespace platform::gtk
