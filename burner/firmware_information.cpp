#include "burner/firmware_information.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "platform/text/code_page.h"
#include "serial_flash/serial_flash.h"

namespace {

struct VersionBoxRow {
  std::uint8_t chipId;
  FirmwareInfoLocation location;
};

// Table of the F/W Version box; chip IDs without a row read nothing.
constexpr VersionBoxRow kVersionBoxTable[] = {
    {.chipId = 0x16, .location = {.base = 0x0FD0, .tagAddress = 0x0153}},
    {.chipId = 0x23, .location = {.base = 0x1E00, .tagAddress = 0x01F3}},
    {.chipId = 0x25, .location = {.base = 0x3E00, .tagAddress = 0x01F3}},
    {.chipId = 0x32, .location = {.base = 0x0FD0, .tagAddress = 0x0153}},
    {.chipId = 0x33, .location = {.base = 0x1E00, .tagAddress = 0x01F3}},
    {.chipId = 0x56, .location = {.base = 0x3E00, .tagAddress = 0x01F3}},
    {.chipId = 0x70, .location = {.base = 0x3E05, .tagAddress = 0x3E00}},
    {.chipId = 0x71, .location = {.base = 0x3E05, .tagAddress = 0x3E00}},
    {.chipId = 0x76, .location = {.base = 0x3FD0, .tagAddress = 0x0153}},
    {.chipId = 0x83, .location = {.base = 0x3E05, .tagAddress = 0x3E00}},
    {.chipId = 0x90, .location = {.base = 0x3E00, .tagAddress = 0x0150}},
};

// Table of the export-name builder, with its default row for every other chip ID.
constexpr VersionBoxRow kExportNameTable[] = {
    {.chipId = 0x16, .location = {.base = 0x3E00, .tagAddress = 0x01F3}},
    {.chipId = 0x25, .location = {.base = 0x3E00, .tagAddress = 0x01F3}},
    {.chipId = 0x23, .location = {.base = 0x1E00, .tagAddress = 0x01F3}},
    {.chipId = 0x33, .location = {.base = 0x1E00, .tagAddress = 0x01F3}},
};
constexpr FirmwareInfoLocation kExportNameDefault = {.base = 0x0FD0, .tagAddress = 0x0153};

const wchar_t kCaption[] = L"Get F/W Version";
const wchar_t kCameraInitFailed[] = L"Camera Init Failed!";
// Tag, CR LF, second string, CR LF, first string, CR LF, third string.
constexpr std::size_t kVersionTextSize = kFirmwareTagSize + 3 * (2 + kFirmwareStringSize);  // 41 bytes
constexpr char kExportExtension[] = ".src";

const VersionBoxRow* FindRow(std::span<const VersionBoxRow> table, std::uint8_t chipId) {
  auto it = std::find_if(table.begin(), table.end(), [chipId](const VersionBoxRow& row) { return row.chipId == chipId; });
  return it == table.end() ? nullptr : &*it;
}

// The library's flash reads; their results are not used: a field that fails to read keeps its
// zero bytes, which end a piece of the text or reject the name.
void ReadFields(const FirmwareInfoLocation& at, FirmwareFields& fields) {
  SFMemAccess(SF_MEM_FLASH_READ, at.base, fields.first.data(), kFirmwareStringSize);
  SFMemAccess(SF_MEM_FLASH_READ, at.base + kFirmwareStringSize, fields.second.data(), kFirmwareStringSize);
  SFMemAccess(SF_MEM_FLASH_READ, at.base + 2 * kFirmwareStringSize, fields.third.data(), kFirmwareStringSize);
  SFMemAccess(SF_MEM_FLASH_READ, at.tagAddress, fields.tag.data(), kFirmwareTagSize);
}

// Reads the chip ID into the chip-ID global; false when the camera does not answer.
bool ReadChipId(BurnerDialogContext& ctx, std::uint8_t& chipId) {
  chipId = 0;
  if (GetChipIDValue(ctx, &chipId) == 0) return false;
  g_chipId = chipId;
  return true;
}

// Bytes [from, to) of a field, ending early at a zero byte.
template <std::size_t N>
void AppendUpToZero(std::string& out, const std::array<std::uint8_t, N>& field, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && field[i] != 0; ++i) out += static_cast<char>(field[i]);
}

// A whole string without its '-' bytes; a zero byte goes in as a character and rejects the name.
template <std::size_t N>
void AppendWithoutDashes(std::string& out, const std::array<std::uint8_t, N>& field) {
  for (std::uint8_t b : field) {
    if (b != '-') out += static_cast<char>(b);
  }
}

// Bytes compare as unsigned values, so bytes from 0x80 on are never letters.
bool AcceptedNameByte(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '-' || b == '_';
}

}  // namespace

std::optional<FirmwareInfoLocation> VersionBoxLocation(std::uint8_t chipId) {
  const VersionBoxRow* row = FindRow(kVersionBoxTable, chipId);
  if (row == nullptr) return std::nullopt;
  return row->location;
}

FirmwareInfoLocation ExportNameLocation(std::uint8_t chipId) {
  const VersionBoxRow* row = FindRow(kExportNameTable, chipId);
  return row == nullptr ? kExportNameDefault : row->location;
}

std::string VersionText(const FirmwareFields& fields) {
  std::array<std::uint8_t, kVersionTextSize> bytes{};
  auto out = bytes.begin();
  const auto put = [&out](std::span<const std::uint8_t> piece) { out = std::copy(piece.begin(), piece.end(), out); };
  const std::array<std::uint8_t, 2> lineBreak = {'\r', '\n'};
  put(fields.tag);
  put(lineBreak);
  put(fields.second);
  put(lineBreak);
  put(fields.first);
  put(lineBreak);
  put(fields.third);
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

bool ComposeExportName(const FirmwareFields& fields, std::string& name) {
  std::string composed;
  AppendUpToZero(composed, fields.tag, 0, 4);
  composed += '-';
  AppendWithoutDashes(composed, fields.second);
  composed += '-';
  if (fields.tag[4] != 0) composed += static_cast<char>(fields.tag[4]);
  composed += '-';
  composed += 'V';
  AppendUpToZero(composed, fields.third, 0, 6);
  composed += '_';
  AppendUpToZero(composed, fields.third, 6, 8);
  composed += '_';
  AppendUpToZero(composed, fields.third, 8, 10);
  composed += '-';
  AppendWithoutDashes(composed, fields.first);
  if (!std::all_of(composed.begin(), composed.end(), [](char c) { return AcceptedNameByte(static_cast<unsigned char>(c)); })) {
    return false;
  }
  name = composed + kExportExtension;
  return true;
}

void ShowFirmwareVersion(BurnerDialogContext& ctx) {
  if (FindVideoDevice(ctx) != 0) return;
  if (SFOpen() <= 0) {
    ctx.ShowMessage(kCameraInitFailed);
    return;
  }
  FirmwareFields fields;
  std::uint8_t chipId = 0;
  if (ReadChipId(ctx, chipId)) {
    if (const std::optional<FirmwareInfoLocation> at = VersionBoxLocation(chipId)) ReadFields(*at, fields);
  }
  SFClose();
  // With no chip ID or no row nothing was read: the zeroed fields give an empty text.
  ctx.ShowCaptionedMessage(platform::WideFromCodePage(VersionText(fields)), kCaption);
}

int BuildExportFileName(BurnerDialogContext& ctx, std::string& name) {
  if (SFOpen() <= 0) return 0;
  std::uint8_t chipId = 0;
  if (!ReadChipId(ctx, chipId)) {
    SFClose();
    return 0;
  }
  FirmwareFields fields;
  ReadFields(ExportNameLocation(chipId), fields);
  // The model-code exception ("M40T" leaving out the tag's fifth byte) is not built: which four
  // bytes it compares is not known, so that piece always goes in.
  const bool composed = ComposeExportName(fields, name);
  SFClose();
  return composed ? 1 : 0;
}
