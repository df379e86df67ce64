#pragma once
// The resource module: dialog templates, string tables, icons and bitmaps, each registered once
// per language by the tool's resource data (resources/), and looked up by id in the language that
// the loader selects from the user's locale settings.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace platform::dialog {

// Language ids of the resources.
constexpr WORD kLangEnglishUS = 1033;
constexpr WORD kLangChineseSimplified = 2052;

// Predefined window class ordinals stored in templates.
constexpr WORD kClassOrdinalButton = 0x0080;
constexpr WORD kClassOrdinalEdit = 0x0081;
constexpr WORD kClassOrdinalStatic = 0x0082;

// Position and size in dialog units.
struct DialogUnitRect {
  short x = 0;
  short y = 0;
  short cx = 0;
  short cy = 0;
  friend bool operator==(const DialogUnitRect&, const DialogUnitRect&) = default;
};

// One control of an extended dialog template.
struct ControlTemplate {
  int id = -1;                            // -1 for statics without their own id
  WORD class_ordinal = 0;                 // 0x80..0x82 for predefined classes, else 0
  const wchar_t* class_name = nullptr;    // named class when class_ordinal is 0
  const wchar_t* text = L"";              // window text; ignored when picture is set
  WORD picture = 0;                       // resource ordinal of an icon or bitmap static, else 0
  DWORD style = 0;                        // full style word, WS_CHILD included
  DWORD ex_style = 0;
  DialogUnitRect rect;                    // dialog units
};

// The window class name of a template control ("Button", "msctls_progress32", ...).
std::wstring ControlClassName(const ControlTemplate& control);

// An extended dialog template (DIALOGEX) in one language.
struct DialogTemplate {
  WORD id = 0;
  WORD language = 0;
  DWORD style = 0;
  DWORD ex_style = 0;
  DialogUnitRect rect;                    // dialog units
  const wchar_t* caption = L"";
  const wchar_t* font_face = L"MS Shell Dlg";
  WORD font_points = 8;
  WORD font_weight = 0;
  BYTE font_italic = 0;
  BYTE font_charset = 1;                  // DEFAULT_CHARSET
  std::span<const ControlTemplate> controls;  // template order = creation and tab order
};

// One string-table entry.
struct StringEntry {
  UINT id = 0;
  const wchar_t* text = L"";
};

// One image of an icon group, in the form it has inside an icon resource: a DIB (header with
// doubled height, palette, colour bits, AND mask) or, for large images, a PNG stream.
struct IconImage {
  int width = 0;                          // pixels
  int height = 0;                         // pixels
  int bits_per_pixel = 0;
  bool png = false;
  std::vector<std::uint8_t> data{};
};

struct IconGroup {
  WORD id = 0;
  WORD language = 0;
  std::vector<IconImage> images{};
};

// A device-independent bitmap resource: BITMAPINFOHEADER, palette and bits, no file header.
struct BitmapResource {
  WORD id = 0;
  WORD language = 0;
  int width = 0;                          // pixels
  int height = 0;                         // pixels
  int bits_per_pixel = 0;
  std::vector<std::uint8_t> dib{};
};

// Picks the resource language from the locale variables: the first non-empty of LANGUAGE (a colon
// list: its first entry), LC_ALL, LC_MESSAGES, LANG. Simplified Chinese (zh_CN, zh_SG, zh_Hans,
// with any encoding or modifier suffix) gives 2052, anything else 1033.
WORD LanguageFromLocale(const char* language, const char* lc_all, const char* lc_messages,
                        const char* lang);
WORD LanguageFromEnvironment();

class ResourceModule {
 public:
  static ResourceModule& Get();

  // Registration; a second registration of the same id and language replaces the first. Templates
  // and strings are referenced, not copied: they must be static data.
  void RegisterDialog(const DialogTemplate& dialog);
  void RegisterStrings(WORD language, std::span<const StringEntry> strings);
  void RegisterIcon(IconGroup icon);
  void RegisterBitmap(BitmapResource bitmap);

  // The language lookups use: the forced one when set, else the locale's.
  WORD SelectedLanguage() const;
  // Test hook: force a language (std::nullopt returns to the locale's choice).
  void ForceLanguage(std::optional<WORD> language);

  // Lookups in the selected language. Templates and strings fall back to any registered language
  // only when the selected one has none at all for that id; icons and bitmaps are found whatever
  // the language. Null when absent.
  const DialogTemplate* FindDialog(WORD id) const;
  const wchar_t* FindString(UINT id) const;
  const IconGroup* FindIcon(WORD id) const;
  const BitmapResource* FindBitmap(WORD id) const;

  // Exact lookups for one language, for tests and views.
  const DialogTemplate* FindDialog(WORD id, WORD language) const;
  const wchar_t* FindString(UINT id, WORD language) const;

 private:
  using Key = std::pair<std::uint32_t, WORD>;  // (id, language)
  mutable std::mutex mutex_;
  std::optional<WORD> forced_language_;
  std::map<Key, DialogTemplate> dialogs_;
  std::map<Key, const wchar_t*> strings_;
  std::map<Key, IconGroup> icons_;
  std::map<Key, BitmapResource> bitmaps_;
};

}  // namespace platform::dialog
