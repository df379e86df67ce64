#include "burner/export_workflow.h"

#include <cstdint>
#include <string>
#include <vector>

#include "burner/control_ids.h"
#include "burner/firmware_information.h"
#include "burner/flash_status.h"
#include "burner/image_format.h"
#include "burner/replacing_file.h"
#include "burner/workflow_support.h"
#include "platform/text/code_page.h"
#include "serial_flash/serial_flash.h"

namespace {

constexpr int kExportRange = 13106;  // 0x3332, bar 1003 while reading

// Reads blocks 0 to 0x1FFF0 into the buffer; the last eight bytes stay 0xFF. False at the first
// read that fails: a block the camera did not deliver is not the flash's content.
bool ReadWholeFlash(BurnerDialogContext& ctx, std::vector<std::uint8_t>& image) {
  for (std::uint32_t offset = 0; offset <= kLastImageBlock; offset += kImageBlockSize) {
    ctx.SetProgressPos(IDC_PROGRESS_WORK, HeldProgress(offset / 10, kExportRange));
    ImageBlock block;
    if (!ReadBlockAt(ctx, offset, block)) return false;
    std::copy(block.begin(), block.end(), image.begin() + offset);
  }
  return true;
}

// A busy chip answers every read with 0xFF: the flash is read, for its name too, only once it
// has been seen idle. The library is opened for that and closed again, as the name builder does.
bool FlashIdleForReading() {
  if (SFOpen() <= 0) return false;
  const bool idle = FlashBecomesIdle();
  SFClose();
  return idle;
}

}  // namespace

int ExportRomToDirectory(BurnerDialogContext& ctx, const std::filesystem::path& directory) {
  if (!FlashIdleForReading()) return 0;
  std::string name;
  if (BuildExportFileName(ctx, name) == 0) name = kDefaultExportName;

  std::vector<std::uint8_t> image(kImageSize, kErasedByte);
  ctx.SetItemText(IDC_STATUS, ctx.LoadString(IDS_EXPORTING));
  ctx.SetItemText(IDC_EXPORT_NAME, platform::WideFromCodePage(name));

  // The whole flash is read into memory before the file is created: an export that ends during
  // the reads, even by a kill, leaves nothing behind.
  ctx.SetProgressRange(IDC_PROGRESS_WORK, kExportRange);
  const bool read = ReadWholeFlash(ctx, image);
  g_bankFlag = 0;
  if (!read) return 0;
  ReplacingFile file(directory / name);
  if (!file.Create() || !file.WriteAll(image.data(), image.size())) return 0;
  return file.Commit() ? 1 : 0;
}

int ExportRom(BurnerDialogContext& ctx) { return ExportRomToDirectory(ctx, std::filesystem::path(".")); }
