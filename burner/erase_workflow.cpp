#include "burner/erase_workflow.h"

#include <cstdint>

#include "burner/chip_erase.h"
#include "burner/control_ids.h"
#include "burner/flash_status.h"
#include "burner/image_format.h"
#include "burner/workflow_support.h"
#include "burner/write_protect_control.h"

namespace {

// Bar 1003 range of the erase. The position is offset / 10, so the bar stands full from 0xFFF0
// on, half way through the check.
constexpr int kEraseRange = 6552;  // 0x1998
constexpr int kEraseStartPos = 1;

const wchar_t kDisableFailed[] = L"Disable Flash Write Protect Failed!";
const wchar_t kEraseCheckFailed[] = L"Check Flash Erase Failed!";

// Every block that a burn would program must read eight 0xFF bytes. A read that fails proves
// nothing about the block, so it fails the check too.
bool EveryBlockErased(BurnerDialogContext& ctx) {
  for (std::uint32_t offset = 0; offset <= kLastImageBlock; offset += kImageBlockSize) {
    ctx.SetProgressPos(IDC_PROGRESS_WORK, HeldProgress(offset / 10, kEraseRange));
    ImageBlock block;
    if (!ReadBlockAt(ctx, offset, block) || !BlockIsErased(block.data())) return false;
  }
  return true;
}

}  // namespace

int EraseFlash(BurnerDialogContext& ctx) {
  ctx.SetItemText(IDC_STATUS, ctx.LoadString(IDS_ERASING));
  ctx.SetProgressRange(IDC_PROGRESS_WORK, kEraseRange);
  ctx.SetProgressPos(IDC_PROGRESS_WORK, kEraseStartPos);

  if (DisableFlashWriteProtect(ctx) == 0) {
    ctx.ShowMessage(kDisableFailed);
    return 0;
  }
  // The erase reports nothing; the checks below judge it. A chip still busy reads 0xFF
  // everywhere, so the blocks are read only once the flash has been seen idle.
  EraseFlashChip(kBlankMaskRomKey, ctx);
  if (!FlashSeenIdle()) {
    ctx.ShowMessage(kEraseCheckFailed);
    return 0;
  }

  const bool erased = EveryBlockErased(ctx);
  g_bankFlag = 0;
  if (!erased) {
    ctx.ShowMessage(kEraseCheckFailed);
    return 0;
  }
  // No enable: an erased flash is left unprotected until the next burn completes.
  return 1;
}
