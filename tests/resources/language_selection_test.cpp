#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/dialog/resource_module.h"
#include "resources/flarnex_resources.h"

namespace {

using platform::dialog::kLangChineseSimplified;
using platform::dialog::kLangEnglishUS;
using platform::dialog::LanguageFromLocale;

struct LocaleCase {
  const char* language;
  const char* lc_all;
  const char* lc_messages;
  const char* lang;
  WORD expected;
};

const LocaleCase kLocaleCases[] = {
    {nullptr, nullptr, nullptr, nullptr, kLangEnglishUS},
    {nullptr, nullptr, nullptr, "zh_CN.UTF-8", kLangChineseSimplified},
    {nullptr, nullptr, nullptr, "zh_SG", kLangChineseSimplified},
    {nullptr, nullptr, nullptr, "zh_Hans", kLangChineseSimplified},
    {nullptr, nullptr, nullptr, "zh_CN.GB18030@pinyin", kLangChineseSimplified},
    {nullptr, nullptr, nullptr, "zh_TW.UTF-8", kLangEnglishUS},  // traditional
    {nullptr, nullptr, nullptr, "zh_HK", kLangEnglishUS},
    {nullptr, nullptr, nullptr, "en_US.UTF-8", kLangEnglishUS},
    {nullptr, nullptr, nullptr, "C", kLangEnglishUS},
    {nullptr, nullptr, nullptr, "zh", kLangEnglishUS},
    // Precedence: LANGUAGE, LC_ALL, LC_MESSAGES, LANG; empty values do not count.
    {"", "", "", "zh_CN.UTF-8", kLangChineseSimplified},
    {nullptr, "en_US.UTF-8", nullptr, "zh_CN.UTF-8", kLangEnglishUS},
    {nullptr, nullptr, "zh_CN.UTF-8", "en_US", kLangChineseSimplified},
    {nullptr, "zh_CN", "en_US", nullptr, kLangChineseSimplified},
    {"en_US", "zh_CN.UTF-8", nullptr, nullptr, kLangEnglishUS},
    // LANGUAGE is a priority list: its first entry decides.
    {"zh_CN:en_US", nullptr, nullptr, "en_US", kLangChineseSimplified},
    {"en_GB:zh_CN", nullptr, nullptr, "zh_CN", kLangEnglishUS},
};

TEST(LanguageSelectionTest, LocaleVariablesPickTheLanguage) {
  for (const LocaleCase& c : kLocaleCases) {
    SCOPED_TRACE(testing::Message() << "LANGUAGE=" << (c.language ? c.language : "(unset)")
                                    << " LC_ALL=" << (c.lc_all ? c.lc_all : "(unset)")
                                    << " LC_MESSAGES=" << (c.lc_messages ? c.lc_messages : "(unset)")
                                    << " LANG=" << (c.lang ? c.lang : "(unset)"));
    EXPECT_EQ(LanguageFromLocale(c.language, c.lc_all, c.lc_messages, c.lang), c.expected);
  }
}

// The loader reads the real environment when no language is forced.
TEST(LanguageSelectionTest, LoaderFollowsTheEnvironmentUnlessForced) {
  flarnex::resources::RegisterFlarnexResources();
  auto& module = platform::dialog::ResourceModule::Get();
  module.ForceLanguage(std::nullopt);
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) ::unsetenv(name);
  ::setenv("LANG", "zh_CN.UTF-8", 1);
  EXPECT_STREQ(module.FindString(102), L"烧录");
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_STREQ(module.FindString(102), L"Burn");
  module.ForceLanguage(kLangChineseSimplified);
  EXPECT_STREQ(module.FindString(102), L"烧录");
  module.ForceLanguage(std::nullopt);
  ::unsetenv("LANG");
}

}  // namespace
