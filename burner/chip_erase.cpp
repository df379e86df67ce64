#include "burner/chip_erase.h"

#include <cctype>

#include "burner/flash_shift_port.h"
#include "burner/flash_type_detection.h"
#include "platform/runtime/clock.h"
#include "serial_flash/camera_protocol.h"
#include "serial_flash/serial_flash.h"

using burner_detail::AfterSend;
using burner_detail::HostAccess;
using burner_detail::ReleaseFlash;
using burner_detail::SelectFlash;
using burner_detail::SendByte;
using burner_detail::SendFrame;

namespace {

// The system knows no mask ROM besides the fallback, whose SF-type register is 0x0000.
constexpr MaskRomRecord kMaskRomTable[] = {
    {.modelCode = {}, .unused = 0, .version = {}, .sfTypeRegister = 0x0000, .matchMinimumVersion = 0},
};

constexpr std::uint16_t kRegMaskRomOption = 0x1040;
constexpr char kModelNeedingOptionCleared[4] = {'M', '4', '1', 'T'};

// The 0x62 erase runs while chip select stays asserted, then needs a pause after the release.
constexpr DWORD kErase62SelectHoldMs = 2500;
constexpr DWORD kErase62SettleMs = 900;

enum class EraseSequence {
  ChipErase60,         // write enable, 0x60
  ChipEraseC7,         // write enable, 0xC7
  ClearStatusThen60,   // EWSR, WRSR 0x00, write enable, 0x60
  TimedChipErase62,    // write enable, 0x62 with chip select held
};

EraseSequence SequenceFor(std::uint8_t sfType) {
  switch (sfType) {
    case kSfTypeNumonyx:
    case kSfTypeWinbond:
    case kSfTypePmc:
    case kSfTypeAmic:
      return EraseSequence::ChipEraseC7;
    case kSfTypeSst:
      return EraseSequence::ClearStatusThen60;
    case kSfTypeAtmel15:
      return EraseSequence::TimedChipErase62;
    default:
      return EraseSequence::ChipErase60;
  }
}

// No wait for the flash separates the commands of one sequence.
void SendEraseSequence(EraseSequence sequence) {
  switch (sequence) {
    case EraseSequence::ChipErase60:
      SendFrame({kFlashOpWriteEnable}, AfterSend::Nothing);
      SendFrame({kFlashOpChipErase60}, AfterSend::Nothing);
      return;
    case EraseSequence::ChipEraseC7:
      SendFrame({kFlashOpWriteEnable}, AfterSend::Nothing);
      SendFrame({kFlashOpChipEraseC7}, AfterSend::Nothing);
      return;
    case EraseSequence::ClearStatusThen60:
      SendFrame({kFlashOpEnableWriteStatus}, AfterSend::Nothing);
      SendFrame({kFlashOpWriteStatus, 0x00}, AfterSend::Nothing);
      SendFrame({kFlashOpWriteEnable}, AfterSend::Nothing);
      SendFrame({kFlashOpChipErase60}, AfterSend::Nothing);
      return;
    case EraseSequence::TimedChipErase62:
      SendFrame({kFlashOpWriteEnable}, AfterSend::Nothing);
      SelectFlash();
      SendByte(kFlashOpChipErase62, AfterSend::Nothing);
      Sleep(kErase62SelectHoldMs);
      ReleaseFlash();
      Sleep(kErase62SettleMs);
      return;
  }
}

bool SameModelCode(const char (&key)[4], const char (&record)[4]) {
  for (int i = 0; i < 4; ++i) {
    if (std::tolower(static_cast<unsigned char>(key[i])) != std::tolower(static_cast<unsigned char>(record[i]))) {
      return false;
    }
  }
  return true;
}

bool Matches(const MaskRomKey& key, const MaskRomRecord& record) {
  if (!SameModelCode(key.modelCode, record.modelCode)) return false;
  // The key's versions are signed, the record's unsigned: a key version of 0x80 or more is
  // negative and so below every record version.
  if (record.matchMinimumVersion != 0) return int{key.version[0]} >= int{record.version[0]};
  for (int i = 0; i < 3; ++i) {
    if (int{key.version[i]} != int{record.version[i]}) return false;
  }
  return true;
}

}  // namespace

std::span<const MaskRomRecord> MaskRomTable() { return kMaskRomTable; }

const MaskRomRecord& FindMaskRomRecord(const MaskRomKey& key, std::span<const MaskRomRecord> table) {
  for (const MaskRomRecord& record : table) {
    if (Matches(key, record)) return record;
  }
  return table.front();
}

bool KeyNeedsRegister1040Cleared(const MaskRomKey& key) {
  return SameModelCode(key.modelCode, kModelNeedingOptionCleared) || key.version[0] == 1;
}

void EraseFlashChip(const MaskRomKey& key, BurnerDialogContext& dlg, std::span<const MaskRomRecord> table) {
  const MaskRomRecord& record = FindMaskRomRecord(key, table);
  // Detection runs every time: another flash may sit behind the same camera since the last erase.
  DetectSFType(dlg);
  if (!SFWriteReg(record.sfTypeRegister, dlg.m_sfType)) dlg.ShowMessage(L"Write SFType Data To Mask Rom Failed!");
  if (KeyNeedsRegister1040Cleared(key)) SFWriteReg(kRegMaskRomOption, 0);
  HostAccess(true);
  SendEraseSequence(SequenceFor(dlg.m_sfType));
  SFWaitIdle();
  HostAccess(false);
}
