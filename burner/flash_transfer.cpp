#include "burner/flash_transfer.h"

#include <cstring>

#include "burner/burner_globals.h"
#include "burner/extension_unit_request.h"
#include "serial_flash/camera_protocol.h"

using burner_detail::XuRequestControl;

bool ReadFlash8(BurnerDialogContext& dlg, std::uint8_t offsetHigh, std::uint8_t offsetLow, std::uint8_t* dest) {
  XuRequestControl control(dlg);
  if (!control) return false;
  const std::uint8_t command = g_bankFlag != 0 ? kFlashCommandReadUpper : kFlashCommandReadLower;
  std::uint8_t request[kXuBurnerFlashLength] = {offsetLow, offsetHigh, command};
  if (control.Send(kXuControlFlash, kXuSet, request, kXuBurnerFlashLength) != S_OK) return false;
  std::uint8_t reply[kXuBurnerFlashLength] = {};
  if (control.Send(kXuControlFlash, kXuGet, reply, kXuBurnerFlashLength) != S_OK) return false;
  std::memcpy(dest, reply + kXuFlashDataOffset, kFlashBlockSize);
  return true;
}

bool WriteFlash8(BurnerDialogContext& dlg, const std::uint8_t* source, std::uint8_t offsetHigh,
                 std::uint8_t offsetLow) {
  XuRequestControl control(dlg);
  if (!control) return false;
  const std::uint8_t command = g_bankFlag != 0 ? kFlashCommandWriteUpper : kFlashCommandWriteLower;
  std::uint8_t request[kXuBurnerFlashLength] = {offsetLow, offsetHigh, command};
  std::memcpy(request + kXuFlashDataOffset, source, kFlashBlockSize);
  return control.Send(kXuControlFlash, kXuSet, request, kXuBurnerFlashLength) == S_OK;
}
