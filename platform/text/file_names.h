#pragma once
// File names between the system's bytes and the framework's wide text. The bytes of a name need
// not be valid UTF-8 (a Latin-1 "café.bin" is not): every byte that does not belong to a valid
// UTF-8 sequence becomes a lone surrogate U+DC80..U+DCFF and turns back into the same byte, so
// any name reaches open() as the system gave it. Shown on screen, such a byte reads as U+FFFD.
#include <string>
#include <string_view>

namespace platform {

std::wstring WideFromFileName(std::string_view bytes);
// The name's bytes: UTF-8, with U+DC80..U+DCFF back as the single bytes they stand for. Other
// surrogates and values beyond U+10FFFF, which no name decodes to, become U+FFFD.
std::string FileNameFromWide(std::wstring_view text);

}  // namespace platform
