#include "burner/burn_workflow.h"

#include <algorithm>
#include <cstdint>

#include "burner/chip_erase.h"
#include "burner/control_ids.h"
#include "burner/flash_transfer.h"
#include "burner/image_format.h"
#include "burner/workflow_support.h"
#include "burner/write_protect_control.h"

namespace {

// Bar 1004 counts the burn's stages; only these positions are ever shown.
constexpr int kStageCount = 9;
constexpr int kStageStart = 0;
constexpr int kStageErased = 1;
constexpr int kStageEraseChecked = 3;
constexpr int kStageProgrammed = 6;
constexpr int kStageVerified = 8;
constexpr int kStageDone = 9;

// Bar 1003 ranges: the write-protect step, then the checks and programming.
constexpr int kProtectRange = 2;
constexpr int kFlashRange = 13004;  // 0x32CC

// The erase check reads one block per kilobyte up to 0x1F800; the full verify after programming
// catches whatever it misses.
constexpr std::uint32_t kEraseSampleStep = 0x400;   // bytes
constexpr std::uint32_t kEraseSampleLimit = 0x1FBFE;  // samples below this offset
constexpr std::uint32_t kVerifyProgressBase = 100;

const wchar_t kNoSourceFile[] = L"No Source File!";
const wchar_t kNotTamelRom[] = L"It isn't Tamel Rom File!";
const wchar_t kDisableFailed[] = L"Disable Flash Write Protect Failed!";
const wchar_t kEraseCheckFailed[] = L"Check Flash Erase Failed!";
const wchar_t kFlashTooSmall[] = L"The Flash size is less than 128K, please confirm!";
const wchar_t kCheckDataFailed[] = L"Check Data Failed!";
const wchar_t kEnableFailed[] = L"Enable Flash Write Protect Failed!";

// Ends a flash loop on a failure: the next transfer starts in the lower bank again.
int FailBurn(BurnerDialogContext& ctx, const wchar_t* message) {
  g_bankFlag = 0;
  ctx.ShowMessage(message);
  return 0;
}

// A sample counts as programmed only when bytes 0 and 5 both differ from 0xFF; a failed read
// keeps the 0xFF preset and passes. The quick check only guards against an erase that plainly
// did nothing: the verify reads every block.
bool EraseSamplesPass(BurnerDialogContext& ctx) {
  for (std::uint32_t offset = 0; offset < kEraseSampleLimit; offset += kEraseSampleStep) {
    ctx.SetProgressPos(IDC_PROGRESS_WORK, HeldProgress(offset / 10, kFlashRange));
    ImageBlock block;
    ReadBlockAt(ctx, offset, block);
    if (block[0] != kErasedByte && block[5] != kErasedByte) return false;
  }
  return true;
}

// Programs blocks 0 to 0x1FFF0, skipping the erased ones. False at the first write the camera
// refuses: a camera that is gone gets no further requests.
bool ProgramImage(BurnerDialogContext& ctx, const std::uint8_t* image) {
  for (std::uint32_t offset = 0; offset <= kLastImageBlock; offset += kImageBlockSize) {
    const std::uint32_t inHalf = offset < kUpperBankStart ? offset : offset - kUpperBankStart;
    ctx.SetProgressPos(IDC_PROGRESS_WORK, HeldProgress(inHalf / 5, kFlashRange));
    // Raised at 0x10000 even when that block is skipped, so the blocks after it go up too.
    if (offset == kUpperBankStart) g_bankFlag = 1;
    if (BlockIsErased(image + offset)) continue;
    const ImageBlock block = ImageBlockAt(image, offset);
    if (!WriteFlash8(ctx, block.data(), OffsetHighByte(offset), OffsetLowByte(offset))) return false;
  }
  return true;
}

// Reads back every block the burn was to write, erased ones included, and compares it with the
// image. A read that fails is a failure too: an unread block is not a verified one. False with
// the offset of the first block that does not match in badOffset.
bool VerifyImage(BurnerDialogContext& ctx, const std::uint8_t* image, std::uint32_t& badOffset) {
  for (std::uint32_t offset = 0; offset <= kLastImageBlock; offset += kImageBlockSize) {
    ctx.SetProgressPos(IDC_PROGRESS_WORK, HeldProgress(offset / 10 + kVerifyProgressBase, kFlashRange));
    ImageBlock block;
    const bool read = ReadBlockAt(ctx, offset, block);
    if (!read || block != ImageBlockAt(image, offset)) {
      badOffset = offset;
      return false;
    }
  }
  return true;
}

}  // namespace

int BurnRom(BurnerDialogContext& ctx) {
  const std::uint8_t* image = g_imageBuffer;
  // Nothing on the dialog changes before the image has passed both tests.
  if (!ImageIsLoaded(image)) {
    ctx.ShowMessage(kNoSourceFile);
    return 0;
  }
  if (!ImageHasSignature(image)) {
    ctx.ShowMessage(kNotTamelRom);
    return 0;
  }

  ctx.SetItemText(IDC_STATUS, ctx.LoadString(IDS_BURNING));
  ctx.ShowItem(IDC_PROGRESS_STAGE);
  ctx.SetProgressRange(IDC_PROGRESS_STAGE, kStageCount);
  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageStart);
  ctx.ShowItem(IDC_STAGE_ERASE);
  ctx.SetProgressRange(IDC_PROGRESS_WORK, kProtectRange);

  if (DisableFlashWriteProtect(ctx) == 0) {
    ctx.ShowMessage(kDisableFailed);
    return 0;
  }
  ctx.SetProgressPos(IDC_PROGRESS_WORK, kProtectRange);
  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageStart);
  // The erase reports nothing; the erase check judges it.
  EraseFlashChip(kBlankMaskRomKey, ctx);
  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageErased);

  ctx.SetProgressRange(IDC_PROGRESS_WORK, kFlashRange);
  if (!EraseSamplesPass(ctx)) return FailBurn(ctx, kEraseCheckFailed);
  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageEraseChecked);
  g_bankFlag = 0;
  ctx.ShowItem(IDC_STAGE_ERASE_OK);
  ctx.ShowItem(IDC_STAGE_BURN);

  if (!ProgramImage(ctx, image)) return FailBurn(ctx, kCheckDataFailed);
  g_bankFlag = 0;
  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageProgrammed);
  ctx.ShowItem(IDC_STAGE_BURN_OK);
  ctx.ShowItem(IDC_STAGE_VERIFY);

  std::uint32_t badOffset = 0;
  if (!VerifyImage(ctx, image, badOffset)) {
    // A flash smaller than 128 KB wraps the upper half onto the lower one, so the first block
    // is the one that shows it.
    return FailBurn(ctx, badOffset == 0 ? kFlashTooSmall : kCheckDataFailed);
  }

  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageVerified);
  g_bankFlag = 0;
  // The image is in the flash and verified: a failed restore is reported but the burn stands.
  if (EnableFlashWriteProtect(ctx) == 0) ctx.ShowMessage(kEnableFailed);
  ctx.SetProgressPos(IDC_PROGRESS_STAGE, kStageDone);
  ctx.ShowItem(IDC_STAGE_VERIFY_OK);
  return 1;
}
