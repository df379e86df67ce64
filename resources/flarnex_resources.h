#pragma once
// The tool's resources: both dialog templates and the string table in English and Simplified
// Chinese, the icon group and the logo bitmap. RegisterFlarnexResources puts them into the
// framework's resource module; it may be called any number of times (only the first call works).
#include <span>

#include "platform/dialog/resource_module.h"
#include "resources/resource.h"

namespace flarnex::resources {

void RegisterFlarnexResources();

// The tables themselves, for tests and views that compare against them.
std::span<const platform::dialog::DialogTemplate> DialogTemplates();
std::span<const platform::dialog::StringEntry> StringTable(WORD language);

}  // namespace flarnex::resources
