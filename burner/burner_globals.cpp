#include "burner/burner_globals.h"

std::int32_t g_chipId = 0;
std::int32_t g_bankFlag = 0;
std::uint8_t* g_imageBuffer = nullptr;
