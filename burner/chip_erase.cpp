#include "burner/chip_erase.h"

namespace {
constexpr MaskRomRecord kMaskRomTable[] = {
    {.modelCode = {}, .unused = 0, .version = {}, .sfTypeRegister = 0x0000, .matchMinimumVersion = 0},
};
}  // namespace

std::span<const MaskRomRecord> MaskRomTable() { return kMaskRomTable; }
const MaskRomRecord& FindMaskRomRecord(const MaskRomKey&, std::span<const MaskRomRecord> table) { return table[0]; }
bool KeyNeedsRegister1040Cleared(const MaskRomKey&) { return false; }
void EraseFlashChip(const MaskRomKey&, BurnerDialogContext&, std::span<const MaskRomRecord>) {}
