#pragma once
// Window texts as GTK shows them. A Windows text marks its mnemonic with '&' ("&About", "&&" for
// a literal ampersand); GTK marks it with '_'.
#include <string>
#include <string_view>

namespace platform::gtk {

// UTF-8 text for gtk_label_set_text_with_mnemonic: "&" -> "_", "&&" -> "&", "_" -> "__". A tab
// and what follows it (an accelerator hint such as "\tAlt+F4") is dropped.
std::string MnemonicLabel(std::wstring_view text);

// UTF-8 text with the mnemonic marks removed ("&About" -> "About", "&&" -> "&").
std::string PlainLabel(std::wstring_view text);

}  // namespace platform::gtk
