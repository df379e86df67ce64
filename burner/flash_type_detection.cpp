#include "burner/flash_type_detection.h"

#include <optional>
#include <span>

#include "burner/flash_shift_port.h"
#include "serial_flash/camera_protocol.h"
#include "serial_flash/serial_flash.h"

using burner_detail::AfterSend;
using burner_detail::HostAccess;
using burner_detail::ReceiveByte;
using burner_detail::ReleaseFlash;
using burner_detail::SelectFlash;
using burner_detail::SendByte;

namespace {

constexpr int kAddressDummies = 3;  // dummy address bytes of 0x90 and 0xAB

constexpr std::uint8_t kNoManufacturer = 0x00;
constexpr std::uint8_t kUnlistedTypeByte = 0x20;  // an unlisted part with this type is kSfTypeUnlisted
constexpr std::uint8_t kGigaDevice = 0xC8;
constexpr std::uint8_t kGigaDeviceType = 0x40;

struct SubTypeRule {
  std::uint8_t key;
  std::uint8_t subType;
};

// Model codes, by the answer byte each family keys them on.
constexpr SubTypeRule kMacronixCapacity[] = {{0x10, 1}, {0x11, 2}, {0x12, 3}, {0x13, 4},
                                             {0x14, 5}, {0x15, 6}, {0x16, 7}, {0x17, 8}};
constexpr SubTypeRule kNumonyxCapacity[] = {{0x10, 0x10}, {0x11, 0x11}};
constexpr SubTypeRule kAtmelReread[] = {{0x04, 0x30}};
constexpr SubTypeRule kWinbondCapacity20[] = {{0x14, 0x73}, {0x15, 0x74}, {0x16, 0x75}};
constexpr SubTypeRule kWinbondCapacity30[] = {{0x11, 0x78}, {0x12, 0x79}, {0x13, 0x7A}, {0x14, 0x7B}};
constexpr SubTypeRule kPmcType[] = {{0x7B, 0x80}, {0x7C, 0x81}, {0x7D, 0x82}, {0x7E, 0x83}};
constexpr SubTypeRule kAmicCapacity[] = {{0x10, 0x91}, {0x11, 0x93}, {0x12, 0x95},
                                         {0x20, 0x90}, {0x21, 0x92}, {0x22, 0x94}};
constexpr SubTypeRule kGigaDeviceCapacity[] = {{0x10, 0xA3}, {0x11, 0xA2}, {0x12, 0xA1}, {0x13, 0xA0}};
constexpr SubTypeRule kAtmel15Device[] = {{0x65, 0x20}, {0x60, 0x21}, {0x63, 0x22}, {0x64, 0x23}};
constexpr SubTypeRule kSst90Device[] = {{0x48, 0x50}, {0x49, 0x51}};
constexpr SubTypeRule kWinbond90Device[] = {{0x10, 0x70}, {0x11, 0x71}, {0x12, 0x72}, {0x13, 0x73},
                                            {0x14, 0x74}, {0x15, 0x75}, {0x32, 0x76}, {0x42, 0x77}};
constexpr SubTypeRule kMacronix90Device[] = {{0x05, 1}, {0x10, 2}, {0x11, 3}, {0x12, 4},
                                             {0x13, 5}, {0x14, 6}, {0x15, 7}, {0x16, 8}};
constexpr SubTypeRule kDataFlashStatus[] = {{0x0C, 0x40}, {0x1C, 0x41}};

std::uint8_t SubTypeFor(std::span<const SubTypeRule> rules, std::uint8_t key) {
  for (const SubTypeRule& rule : rules) {
    if (rule.key == key) return rule.subType;
  }
  return 0;
}

// Which identification byte a model rule looks at.
enum class ModelKey { TypeByte, CapacityByte, ShiftInReread };

struct ModelRule {
  std::optional<std::uint8_t> typeByte;  // the rule applies only with this memory type byte
  ModelKey key;
  std::span<const SubTypeRule> subTypes;
};

constexpr ModelRule kMacronixRules[] = {{.typeByte = 0x20, .key = ModelKey::CapacityByte, .subTypes = kMacronixCapacity}};
constexpr ModelRule kNumonyxRules[] = {{.typeByte = 0x20, .key = ModelKey::CapacityByte, .subTypes = kNumonyxCapacity}};
constexpr ModelRule kAtmelRules[] = {{.typeByte = 0x66, .key = ModelKey::ShiftInReread, .subTypes = kAtmelReread}};
constexpr ModelRule kWinbondRules[] = {{.typeByte = 0x20, .key = ModelKey::CapacityByte, .subTypes = kWinbondCapacity20},
                                       {.typeByte = 0x30, .key = ModelKey::CapacityByte, .subTypes = kWinbondCapacity30}};
constexpr ModelRule kPmcRules[] = {{.typeByte = std::nullopt, .key = ModelKey::TypeByte, .subTypes = kPmcType}};
constexpr ModelRule kAmicRules[] = {{.typeByte = std::nullopt, .key = ModelKey::CapacityByte, .subTypes = kAmicCapacity}};

// Manufacturers recognised in the first RDID answer.
struct ReadIdRow {
  std::uint8_t manufacturer;
  std::uint8_t sfType;
  bool rereadShiftIn;  // this family's model code needs the shift-in register read once more
  std::span<const ModelRule> modelRules;
};

constexpr ReadIdRow kReadIdRows[] = {
    {.manufacturer = 0xC2, .sfType = kSfTypeMacronix, .rereadShiftIn = false, .modelRules = kMacronixRules},
    {.manufacturer = 0x20, .sfType = kSfTypeNumonyx, .rereadShiftIn = false, .modelRules = kNumonyxRules},
    {.manufacturer = 0x1F, .sfType = kSfTypeAtmel, .rereadShiftIn = true, .modelRules = kAtmelRules},
    {.manufacturer = 0xEF, .sfType = kSfTypeWinbond, .rereadShiftIn = false, .modelRules = kWinbondRules},
    {.manufacturer = 0x9D, .sfType = kSfTypePmc, .rereadShiftIn = false, .modelRules = kPmcRules},
    {.manufacturer = 0x37, .sfType = kSfTypeAmic, .rereadShiftIn = false, .modelRules = kAmicRules},
};

// Manufacturers recognised in the answer to 0x90.
struct ManufacturerIdRow {
  std::uint8_t manufacturer;
  std::uint8_t sfType;
  std::span<const SubTypeRule> deviceSubTypes;
};

constexpr ManufacturerIdRow kManufacturerIdRows[] = {
    {.manufacturer = 0xBF, .sfType = kSfTypeSst, .deviceSubTypes = kSst90Device},
    {.manufacturer = 0xEF, .sfType = kSfTypeWinbond, .deviceSubTypes = kWinbond90Device},
    {.manufacturer = 0xC2, .sfType = kSfTypeMacronix, .deviceSubTypes = kMacronix90Device},
};

// Controller set-up after the detection: registers that tell the controller how to read the
// flash on its own.
struct RegisterWrite {
  std::uint16_t reg;
  std::uint8_t value;
};
constexpr RegisterWrite kCommonSetUp[] = {{0x108C, 0x00}, {0x108D, 0x07}, {0x108E, 0x07}, {0x108F, 0x07}};
constexpr RegisterWrite kDataFlashSetUp[] = {
    {0x1087, 0xD7},  // status-read command
    {0x1088, 0xE8},  // read command
    {0x1092, 0x80},
    {0x1093, 0x01},
    {0x108C, 0x04},
};
constexpr RegisterWrite kStandardSetUp[] = {
    {0x1087, 0x05},  // status-read command RDSR
    {0x1088, 0x03},  // read command READ
    {0x1092, 0x01},
    {0x1093, 0x00},
};

// The identification bytes live across commands: a failed read leaves the byte of the command
// before (0 at the start of a detection).
struct Answer {
  std::uint8_t bytes[4] = {};
};

// One identification frame: select; opcode; dummy bytes; answer bytes; release.
void ReadIdentification(std::uint8_t opcode, int dummies, int answerLength, Answer& answer) {
  SelectFlash();
  SendByte(opcode, AfterSend::ReadBackShiftIn);
  for (int i = 0; i < dummies; ++i) SendByte(0x00, AfterSend::ReadBackShiftIn);
  for (int i = 0; i < answerLength; ++i) ReceiveByte(&answer.bytes[i]);
  ReleaseFlash();
}

void ApplyModelRules(BurnerDialogContext& dlg, const ReadIdRow& row, std::uint8_t t, std::uint8_t c,
                     std::uint8_t reread) {
  for (const ModelRule& rule : row.modelRules) {
    if (rule.typeByte && *rule.typeByte != t) continue;
    std::uint8_t key = 0;
    switch (rule.key) {
      case ModelKey::TypeByte: key = t; break;
      case ModelKey::CapacityByte: key = c; break;
      case ModelKey::ShiftInReread: key = reread; break;
    }
    dlg.m_sfSubType = SubTypeFor(rule.subTypes, key);
    return;
  }
}

// Runs the identification commands until one settles the type.
void Identify(BurnerDialogContext& dlg) {
  Answer answer;

  ReadIdentification(kFlashOpReadId, 0, 3, answer);
  std::uint8_t m = answer.bytes[0];
  std::uint8_t t = answer.bytes[1];
  std::uint8_t c = answer.bytes[2];
  if (m == kJedecContinuation) {
    ReadIdentification(kFlashOpReadId, 0, 4, answer);
    m = answer.bytes[1];
    t = answer.bytes[2];
    c = answer.bytes[3];
  }
  for (const ReadIdRow& row : kReadIdRows) {
    if (row.manufacturer != m) continue;
    dlg.m_sfType = row.sfType;
    std::uint8_t reread = c;
    if (row.rereadShiftIn) SFReadReg(kRegShiftIn, &reread);
    ApplyModelRules(dlg, row, t, c, reread);
    return;
  }
  if (m != kNoManufacturer && t == kUnlistedTypeByte) dlg.m_sfType = kSfTypeUnlisted;

  ReadIdentification(kFlashOpReadId, 0, 3, answer);
  if (answer.bytes[0] == kGigaDevice) {
    dlg.m_sfType = kSfTypeDefault;
    if (answer.bytes[1] == kGigaDeviceType) {
      dlg.m_sfSubType = SubTypeFor(kGigaDeviceCapacity, answer.bytes[2]);
      return;
    }
  }

  ReadIdentification(kFlashOpAtmelId, 0, 2, answer);
  if (answer.bytes[0] == 0x1F) {
    dlg.m_sfType = kSfTypeAtmel15;
    dlg.m_sfSubType = SubTypeFor(kAtmel15Device, answer.bytes[1]);
    return;
  }

  ReadIdentification(kFlashOpDataFlashStatus, 0, 2, answer);
  if (const std::uint8_t sub = SubTypeFor(kDataFlashStatus, answer.bytes[1]); sub != 0) {
    dlg.m_sfType = kSfTypeDataFlash;
    dlg.m_sfSubType = sub;
    return;
  }

  ReadIdentification(kFlashOpManufacturerId, kAddressDummies, 2, answer);
  for (const ManufacturerIdRow& row : kManufacturerIdRows) {
    if (row.manufacturer != answer.bytes[0]) continue;
    dlg.m_sfType = row.sfType;
    dlg.m_sfSubType = SubTypeFor(row.deviceSubTypes, answer.bytes[1]);
    return;
  }

  ReadIdentification(kFlashOpElectronicSignature, kAddressDummies, 2, answer);
  switch (answer.bytes[0]) {
    case 0x05:
      dlg.m_sfType = kSfTypeNumonyx;
      dlg.m_sfSubType = 0x10;
      return;
    case 0x10:
      dlg.m_sfType = kSfTypeNumonyx;
      dlg.m_sfSubType = 0x11;
      return;
    case 0x9D:
      dlg.m_sfType = kSfTypePmc;
      dlg.m_sfSubType = SubTypeFor(kPmcType, answer.bytes[1]);
      return;
    default:
      return;  // both fields stay as they stand
  }
}

void WriteRegisters(std::span<const RegisterWrite> writes) {
  for (const RegisterWrite& w : writes) SFWriteReg(w.reg, w.value);
}

}  // namespace

void DetectSFType(BurnerDialogContext& dlg) {
  dlg.m_sfType = kSfTypeDefault;
  dlg.m_sfSubType = 0;
  HostAccess(true);
  Identify(dlg);
  HostAccess(false);
  WriteRegisters(kCommonSetUp);
  WriteRegisters(dlg.m_sfType == kSfTypeDataFlash ? std::span<const RegisterWrite>(kDataFlashSetUp)
                                                  : std::span<const RegisterWrite>(kStandardSetUp));
}
