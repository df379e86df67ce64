#include "burner/flash_transfer.h"

#include <cstring>

#include "burner/burner_globals.h"
#include "burner/extension_unit_request.h"

using burner_detail::kXuControlFlash;
using burner_detail::kXuGet;
using burner_detail::kXuSet;
using burner_detail::SendXuRequest;

namespace {

// Control-3 command bytes: bit 7 read, bit 4 upper 64 KB, low nibble the byte count.
constexpr std::uint8_t kReadLowerBank = 0x88;
constexpr std::uint8_t kReadUpperBank = 0x98;
constexpr std::uint8_t kWriteLowerBank = 0x08;
constexpr std::uint8_t kWriteUpperBank = 0x18;

// The burner's control-3 payload: address low, address high, command, eight data bytes.
constexpr std::size_t kPayloadSize = 11;  // bytes
constexpr std::size_t kDataOffset = 3;

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
  std::uint8_t request[kPayloadSize] = {offsetLow, offsetHigh, g_bankFlag != 0 ? kReadUpperBank : kReadLowerBank};
  bool ok = false;
  if (SendXuRequest(control, kXuControlFlash, kXuSet, node, request, kPayloadSize) == S_OK) {
    std::uint8_t reply[kPayloadSize] = {};
    if (SendXuRequest(control, kXuControlFlash, kXuGet, node, reply, kPayloadSize) == S_OK) {
      std::memcpy(dest, reply + kDataOffset, kFlashBlockSize);
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
  std::uint8_t request[kPayloadSize] = {offsetLow, offsetHigh, g_bankFlag != 0 ? kWriteUpperBank : kWriteLowerBank};
  std::memcpy(request + kDataOffset, source, kFlashBlockSize);
  const bool ok =
      SendXuRequest(control, kXuControlFlash, kXuSet, static_cast<ULONG>(dlg.m_nodeId), request, kPayloadSize) == S_OK;
  control->Release();
  return ok;
}
