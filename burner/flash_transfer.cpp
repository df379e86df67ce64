#include "burner/flash_transfer.h"

#include <cstring>

#include "burner/burner_globals.h"
#include "burner/extension_unit_request.h"
#include "serial_flash/camera_protocol.h"

using burner_detail::SendXuRequest;

namespace {

IKsControl* QueryControl(BurnerDialogContext& dlg) {
  if (dlg.m_pFilter == nullptr) return nullptr;
  IKsControl* control = nullptr;
  if (dlg.m_pFilter->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(&control)) != S_OK) {
    if (control != nullptr) control->Release();
    return nullptr;
  }
  return control;
}

}  // namespace

bool ReadFlash8(BurnerDialogContext& dlg, std::uint8_t offsetHigh, std::uint8_t offsetLow, std::uint8_t* dest) {
  IKsControl* control = QueryControl(dlg);
  if (control == nullptr) return false;
  const ULONG node = static_cast<ULONG>(dlg.m_nodeId);
  const std::uint8_t command = g_bankFlag != 0 ? kFlashCommandReadUpper : kFlashCommandReadLower;
  std::uint8_t request[kXuBurnerFlashLength] = {offsetLow, offsetHigh, command};
  bool ok = false;
  if (SendXuRequest(control, kXuControlFlash, kXuSet, node, request, kXuBurnerFlashLength) == S_OK) {
    std::uint8_t reply[kXuBurnerFlashLength] = {};
    if (SendXuRequest(control, kXuControlFlash, kXuGet, node, reply, kXuBurnerFlashLength) == S_OK) {
      std::memcpy(dest, reply + kXuFlashDataOffset, kFlashBlockSize);
      ok = true;
    }
  }
  control->Release();
  return ok;
}

bool WriteFlash8(BurnerDialogContext& dlg, const std::uint8_t* source, std::uint8_t offsetHigh,
                 std::uint8_t offsetLow) {
  IKsControl* control = QueryControl(dlg);
  if (control == nullptr) return false;
  const std::uint8_t command = g_bankFlag != 0 ? kFlashCommandWriteUpper : kFlashCommandWriteLower;
  std::uint8_t request[kXuBurnerFlashLength] = {offsetLow, offsetHigh, command};
  std::memcpy(request + kXuFlashDataOffset, source, kFlashBlockSize);
  const ULONG node = static_cast<ULONG>(dlg.m_nodeId);
  const bool ok = SendXuRequest(control, kXuControlFlash, kXuSet, node, request, kXuBurnerFlashLength) == S_OK;
  control->Release();
  return ok;
}
