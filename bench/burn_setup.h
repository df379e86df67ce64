#pragma once
// What the benchmarks burn and how the workflows run without a window: an image that programs
// every block, and a context whose effects go nowhere.
#include <cstdint>
#include <string>
#include <vector>

#include "burner/burner_dialog_context.h"
#include "simulated_camera/simulated_camera.h"

namespace bench {

// Effects go nowhere: a run measures the workflows and the camera traffic. Messages are kept, so a
// failed run can say why.
class QuietContext final : public BurnerDialogContext {
 public:
  void SetItemText(int, const std::wstring&) override {}
  void ShowItem(int) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int, int) override {}
  void ShowMessage(const std::wstring& text) override { messages += text + L"; "; }
  void ShowCaptionedMessage(const std::wstring&, const std::wstring&) override {}
  std::wstring LoadString(unsigned) override { return {}; }
  std::wstring messages;
};

// The camera's own firmware with every erased block given one programmed byte, so that a burn
// writes every block.
inline std::vector<std::uint8_t> ImageWithoutErasedBlocks(const simcam::CameraConfig& config) {
  constexpr std::uint32_t kBlockSize = 8;  // bytes per flash transfer
  constexpr std::uint8_t kErased = 0xFF;
  constexpr std::uint8_t kFiller = 0x7E;
  std::vector<std::uint8_t> image =
      simcam::MakeSampleFirmware(config.chipId, simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow));
  for (std::uint32_t offset = 0; offset < image.size(); offset += kBlockSize) {
    bool erased = true;
    for (std::uint32_t i = 0; i < kBlockSize; ++i) erased = erased && image[offset + i] == kErased;
    if (erased) image[offset + kBlockSize - 1] = kFiller;
  }
  return image;
}

}  // namespace bench
