#include "burner/export_workflow.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "burner/control_ids.h"
#include "burner/firmware_information.h"
#include "burner/image_format.h"
#include "burner/workflow_support.h"
#include "platform/text/code_page.h"

namespace {

constexpr int kExportRange = 13106;  // 0x3332, bar 1003 while reading
constexpr int kTempNameAttempts = 100;

// The image goes to a temporary file beside the target and is renamed over it only once the
// whole image is written, so an existing file of that name is never lost or left half-written.
class ReplacingFile {
 public:
  explicit ReplacingFile(std::filesystem::path target) : target_(std::move(target)) {}
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile() { Abandon(); }

  // Creates the temporary file; false when the directory takes no new file.
  bool Create() {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
      std::filesystem::path candidate = target_;
      candidate += ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
      fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) {
        temp_ = candidate;
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  bool WriteAll(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const ssize_t written = ::write(fd_, data, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      data += written;
      size -= static_cast<std::size_t>(written);
    }
    return true;
  }

  // Flushes, closes and renames the temporary file over the target.
  bool Commit() {
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || std::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    temp_.clear();
    return true;
  }

 private:
  void Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
  }

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
};

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

}  // namespace

int ExportRomToDirectory(BurnerDialogContext& ctx, const std::filesystem::path& directory) {
  std::string name;
  if (BuildExportFileName(ctx, name) == 0) name = kDefaultExportName;

  std::vector<std::uint8_t> image(kImageSize, kErasedByte);
  ctx.SetItemText(IDC_STATUS, ctx.LoadString(IDS_EXPORTING));
  ctx.SetItemText(IDC_EXPORT_NAME, platform::WideFromCodePage(name));

  ReplacingFile file(directory / name);
  if (!file.Create()) return 0;
  ctx.SetProgressRange(IDC_PROGRESS_WORK, kExportRange);
  const bool read = ReadWholeFlash(ctx, image);
  g_bankFlag = 0;
  if (!read) return 0;
  if (!file.WriteAll(image.data(), image.size())) return 0;
  return file.Commit() ? 1 : 0;
}

int ExportRom(BurnerDialogContext& ctx) { return ExportRomToDirectory(ctx, std::filesystem::path(".")); }
