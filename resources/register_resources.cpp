#include <mutex>

#include "resources/flarnex_resources.h"
#include "resources/pictures.h"

namespace flarnex::resources {

void RegisterFlarnexResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto& module = platform::dialog::ResourceModule::Get();
    for (const auto& dialog : DialogTemplates()) module.RegisterDialog(dialog);
    for (WORD language : {platform::dialog::kLangEnglishUS, platform::dialog::kLangChineseSimplified}) {
      module.RegisterStrings(language, StringTable(language));
    }
    module.RegisterIcon(BuildMainIcon());
    module.RegisterBitmap(BuildLogoBitmap());
  });
}

}  // namespace flarnex::resources
