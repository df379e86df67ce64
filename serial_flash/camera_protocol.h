#pragma once
// The camera protocol as the tool speaks it, for the library and the burner alike: the extension
// unit's controls, request flags and payloads, the control-3 command bytes, the controller's
// serial-flash shift interface and the serial-flash opcodes sent through it.
#include <cstddef>
#include <cstdint>

#include "platform/devices/kernel_streaming.h"

// Extension-unit controls: the property ids of PROPSETID_EXTENSION_UNIT.
constexpr ULONG kXuSupportProbeId = 0;    // the node search's support probe
constexpr ULONG kXuControlRegister = 1;   // controller register read and write
constexpr ULONG kXuControlShort = 2;      // id, flags and up to six payload bytes
constexpr ULONG kXuControlFlash = 3;      // flash blocks and two fixed commands
constexpr ULONG kXuControlBlockRead = 4;  // counted reads
constexpr ULONG kXuControlStatus = 5;     // the controller's base address and mode byte

// Request flags: every request addresses the extension unit's topology node.
constexpr ULONG kXuSet = KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kXuGet = KSPROPERTY_TYPE_GET | KSPROPERTY_TYPE_TOPOLOGY;
constexpr ULONG kXuSupportProbe = KSPROPERTY_TYPE_SETSUPPORT | KSPROPERTY_TYPE_TOPOLOGY;

// Payload lengths.
constexpr ULONG kXuRegisterLength = 4;       // bytes, control 1
constexpr ULONG kXuShortLength = 8;          // bytes, control 2
constexpr ULONG kXuWideLength = 12;          // bytes, controls 3 to 5
constexpr ULONG kXuBurnerFlashLength = 11;   // bytes, the burner's control 3: no byte 11
constexpr std::size_t kXuFlashDataOffset = 3;  // first data byte of a control-3 or control-4 payload

// Direction byte of a request: byte 3 of control 1, byte 7 of control 2.
constexpr std::uint8_t kXuDirectionWrite = 0x00;
constexpr std::uint8_t kXuDirectionRead = 0xFF;

// The property record of one request on the extension-unit node.
inline KSP_NODE XuProperty(ULONG control, ULONG flags, ULONG nodeId) {
  KSP_NODE property{};
  property.Property.Set = PROPSETID_EXTENSION_UNIT;
  property.Property.Id = control;
  property.Property.Flags = flags;
  property.NodeId = nodeId;
  property.Reserved = 0;
  return property;
}

// Control-3 command byte: bit 7 read, bit 4 upper 64 KB (flash address bit 16), bits 0-3 count.
constexpr std::uint8_t kFlashCommandRead = 0x80;
constexpr std::uint8_t kFlashCommandUpperBank = 0x10;
constexpr std::uint8_t kFlashCommandMaxCount = 8;
constexpr std::uint8_t kFlashCommandWriteLower = kFlashCommandMaxCount;                           // 0x08
constexpr std::uint8_t kFlashCommandWriteUpper = kFlashCommandUpperBank | kFlashCommandMaxCount;  // 0x18
constexpr std::uint8_t kFlashCommandReadLower = kFlashCommandRead | kFlashCommandMaxCount;        // 0x88
constexpr std::uint8_t kFlashCommandReadUpper = kFlashCommandRead | kFlashCommandWriteUpper;      // 0x98
// Fixed commands, sent with address bytes 0x00 0x00.
constexpr std::uint8_t kFlashCommandC8 = 0xC8;
constexpr std::uint8_t kFlashCommand40 = 0x40;
// The count a control-4 read asks for.
constexpr std::uint8_t kBlockReadCount = 0x08;

// The controller's serial-flash shift interface.
constexpr std::uint16_t kRegHostAccess = 0x1080;  // 1 = host drives the flash, 0 = off
constexpr std::uint16_t kRegShiftCommand = 0x1081;
constexpr std::uint16_t kRegShiftOut = 0x1082;    // byte to shift out
constexpr std::uint16_t kRegShiftIn = 0x1083;     // byte shifted in
constexpr std::uint16_t kRegShiftDone = 0x1084;   // reads 1 when the last shift finished
constexpr std::uint16_t kRegChipSelect = 0x1091;  // 0 = flash selected, 1 = released

constexpr std::uint8_t kShiftCommandOut = 1;
constexpr std::uint8_t kShiftCommandIn = 2;
constexpr std::uint8_t kHostAccessOn = 1;
constexpr std::uint8_t kHostAccessOff = 0;
constexpr std::uint8_t kChipSelected = 0;
constexpr std::uint8_t kChipReleased = 1;

// Serial-flash opcodes.
constexpr std::uint8_t kFlashOpWriteStatus = 0x01;        // WRSR
constexpr std::uint8_t kFlashOpProgram = 0x02;            // page program
constexpr std::uint8_t kFlashOpReadStatus = 0x05;         // RDSR
constexpr std::uint8_t kFlashOpWriteEnable = 0x06;        // WREN
constexpr std::uint8_t kFlashOpAtmelId = 0x15;            // Atmel's two-byte identification
constexpr std::uint8_t kFlashOpEnableWriteStatus = 0x50;  // EWSR
constexpr std::uint8_t kFlashOpChipErase60 = 0x60;
constexpr std::uint8_t kFlashOpChipErase62 = 0x62;        // Atmel: needs chip select held
constexpr std::uint8_t kFlashOpManufacturerId = 0x90;     // REMS, after three address bytes
constexpr std::uint8_t kFlashOpReadId = 0x9F;             // JEDEC RDID
constexpr std::uint8_t kFlashOpElectronicSignature = 0xAB;  // RES, after three address bytes
constexpr std::uint8_t kFlashOpProgramAutoIncrement = 0xAF;  // SST auto-address-increment program
constexpr std::uint8_t kFlashOpChipEraseC7 = 0xC7;
constexpr std::uint8_t kFlashOpDataFlashStatus = 0xD7;    // Atmel DataFlash status read

constexpr std::uint8_t kFlashStatusBusy = 0x01;    // status bit 0: write or erase in progress
constexpr std::uint8_t kJedecContinuation = 0x7F;  // manufacturer code of the next bank follows
