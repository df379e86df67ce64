#include "platform/dialog/resource_module.h"

#include <cstdlib>
#include <string_view>

namespace platform::dialog {
namespace {

const char* FirstNonEmpty(std::initializer_list<const char*> values) {
  for (const char* value : values) {
    if (value != nullptr && *value != '\0') return value;
  }
  return nullptr;
}

// True when a locale name such as "zh_CN.UTF-8", "zh_SG", "zh_Hans" or "zh-Hans-CN" names
// Simplified Chinese.
bool NamesSimplifiedChinese(std::string_view locale) {
  // Drop the encoding and modifier: "zh_CN.UTF-8@x" -> "zh_CN".
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale.size() < 3 || locale.substr(0, 2) != "zh" || (locale[2] != '_' && locale[2] != '-')) {
    return false;
  }
  std::string_view rest = locale.substr(3);
  std::string_view first = rest.substr(0, rest.find_first_of("_-"));
  return first == "CN" || first == "SG" || first == "Hans";
}

template <typename Map>
const typename Map::mapped_type* FindWithFallback(const Map& map, std::uint32_t id, WORD language) {
  if (auto it = map.find({id, language}); it != map.end()) return &it->second;
  auto it = map.lower_bound({id, 0});
  if (it != map.end() && it->first.first == id) return &it->second;
  return nullptr;
}

}  // namespace

std::wstring ControlClassName(const ControlTemplate& control) {
  switch (control.class_ordinal) {
    case kClassOrdinalButton: return L"Button";
    case kClassOrdinalEdit: return L"Edit";
    case kClassOrdinalStatic: return L"Static";
    default: return control.class_name ? control.class_name : L"";
  }
}

WORD LanguageFromLocale(const char* language, const char* lc_all, const char* lc_messages,
                        const char* lang) {
  const char* chosen = FirstNonEmpty({language, lc_all, lc_messages, lang});
  if (chosen == nullptr) return kLangEnglishUS;
  std::string_view value(chosen);
  if (chosen == language) value = value.substr(0, value.find(':'));  // a priority list
  return NamesSimplifiedChinese(value) ? kLangChineseSimplified : kLangEnglishUS;
}

WORD LanguageFromEnvironment() {
  return LanguageFromLocale(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                            std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

ResourceModule& ResourceModule::Get() {
  static ResourceModule module;
  return module;
}

void ResourceModule::RegisterDialog(const DialogTemplate& dialog) {
  std::lock_guard lock(mutex_);
  dialogs_[{dialog.id, dialog.language}] = dialog;
}

void ResourceModule::RegisterStrings(WORD language, std::span<const StringEntry> strings) {
  std::lock_guard lock(mutex_);
  for (const StringEntry& entry : strings) strings_[{entry.id, language}] = entry.text;
}

void ResourceModule::RegisterIcon(IconGroup icon) {
  std::lock_guard lock(mutex_);
  Key key{icon.id, icon.language};
  icons_[key] = std::move(icon);
}

void ResourceModule::RegisterBitmap(BitmapResource bitmap) {
  std::lock_guard lock(mutex_);
  Key key{bitmap.id, bitmap.language};
  bitmaps_[key] = std::move(bitmap);
}

WORD ResourceModule::SelectedLanguage() const {
  {
    std::lock_guard lock(mutex_);
    if (forced_language_) return *forced_language_;
  }
  return LanguageFromEnvironment();
}

void ResourceModule::ForceLanguage(std::optional<WORD> language) {
  std::lock_guard lock(mutex_);
  forced_language_ = language;
}

const DialogTemplate* ResourceModule::FindDialog(WORD id) const {
  WORD language = SelectedLanguage();
  std::lock_guard lock(mutex_);
  return FindWithFallback(dialogs_, id, language);
}

const wchar_t* ResourceModule::FindString(UINT id) const {
  WORD language = SelectedLanguage();
  std::lock_guard lock(mutex_);
  auto found = FindWithFallback(strings_, id, language);
  return found ? *found : nullptr;
}

const IconGroup* ResourceModule::FindIcon(WORD id) const {
  WORD language = SelectedLanguage();
  std::lock_guard lock(mutex_);
  return FindWithFallback(icons_, id, language);
}

const BitmapResource* ResourceModule::FindBitmap(WORD id) const {
  WORD language = SelectedLanguage();
  std::lock_guard lock(mutex_);
  return FindWithFallback(bitmaps_, id, language);
}

const DialogTemplate* ResourceModule::FindDialog(WORD id, WORD language) const {
  std::lock_guard lock(mutex_);
  auto it = dialogs_.find({id, language});
  return it == dialogs_.end() ? nullptr : &it->second;
}

const wchar_t* ResourceModule::FindString(UINT id, WORD language) const {
  std::lock_guard lock(mutex_);
  auto it = strings_.find({id, language});
  return it == strings_.end() ? nullptr : it->second;
}

}  // namespace platform::dialog
