#pragma once
// Camera discovery for the dialog's own binding, and the chip-ID read that accepts a camera.
#include <cstdint>

#include "burner/burner_dialog_context.h"
#include "platform/com/hresult.h"

// Controller register that holds the chip ID.
constexpr std::uint16_t kChipIdRegister = 0x101F;

// Binds the first video-input device that answers a chip-ID read into dlg.m_pFilter and sets
// dlg.m_nodeId. 0 when a device was accepted; 1 when no device enumerator or no category
// enumerator could be had; otherwise the last status of the moniker enumeration.
int FindVideoDevice(BurnerDialogContext& dlg);
// One device of that enumeration: its property bag must give a "FriendlyName", its filter must
// bind and answer a chip-ID read on the node found or on node 1 or 2. True leaves that filter and
// node in dlg; false leaves no filter there (the one bound before is released either way once
// the name was read).
bool TryVideoDevice(BurnerDialogContext& dlg, IMoniker* moniker);
// Finds the device-specific node of dlg.m_pFilter that answers the support probe; true with its
// index in dlg.m_nodeId, false leaving m_nodeId as it was.
bool FindExtensionUnitNode(BurnerDialogContext& dlg);
// Reads the chip ID through the extension unit, or through a fallback property set when the
// unit refuses the request. 1 with the byte in *dest; 0 leaving *dest untouched.
int GetChipIDValue(BurnerDialogContext& dlg, std::uint8_t* dest);
// The two halves of the fallback register read: the write names the chip-ID register, the read
// returns its value. S_OK, or the status of the last failed call.
HRESULT WriteRegisterViaPropertySet(BurnerDialogContext& dlg, std::uint32_t value);
HRESULT ReadRegisterViaPropertySet(BurnerDialogContext& dlg, std::uint32_t* dest);
