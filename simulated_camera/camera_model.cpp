#include "simulated_camera/camera_model.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/runtime/clock.h"

namespace simcam {
namespace {

// Controller registers with a meaning in the model.
constexpr std::uint16_t kRegChipId = 0x101F;
constexpr std::uint16_t kRegTransferSize = 0x3C5;
constexpr std::uint16_t kRegHostAccess = 0x1080;
constexpr std::uint16_t kRegShiftCommand = 0x1081;
constexpr std::uint16_t kRegByteOut = 0x1082;
constexpr std::uint16_t kRegByteIn = 0x1083;
constexpr std::uint16_t kRegDone = 0x1084;
constexpr std::uint16_t kRegChipSelect = 0x1091;
constexpr std::uint16_t kRegGpioLevel = 0x1006;
constexpr std::uint16_t kRegGpioEnable = 0x1007;
constexpr std::uint16_t kRegWriteEnableCommand = 0x5F3;  // the firmware's program path sends these
constexpr std::uint16_t kRegProgramCommand = 0x5F5;
constexpr std::uint16_t kFlashPointerOffset = 0x0F;      // base + 0x0F..0x12, most significant first

constexpr std::uint8_t kShiftOut = 1;
constexpr std::uint8_t kShiftIn = 2;
constexpr std::uint8_t kDirectionWrite = 0x00;  // control 1 byte 3
constexpr std::uint8_t kDirectionRead = 0xFF;

constexpr std::uint8_t kCommandRead = 0x80;  // control 3 command bits
constexpr std::uint8_t kCommandUpperBank = 0x10;
constexpr std::uint8_t kCommandCount = 0x0F;
constexpr std::uint8_t kCommandC8 = 0xC8;
constexpr std::uint8_t kCommand40 = 0x40;
constexpr unsigned kMaxTransfer = 8;  // bytes per control-3/4 request
constexpr std::uint32_t kBankBit = 0x10000;
constexpr std::uint32_t kAddressMask = 0x1FFFF;

constexpr std::uint8_t kReadStatusOpcode = 0x05;
constexpr std::uint8_t kReadOpcode = 0x03;

struct PayloadSize {
  ULONG least, most;  // bytes
};
PayloadSize PayloadSizeOf(std::uint32_t control) {
  switch (control) {
    case 1:
      return {4, 4};
    case 2:
      return {8, 8};
    default:
      return {11, 12};  // the burner sends 11 bytes, the library 12
  }
}

constexpr std::size_t kFallbackBytes = 40;  // ten 32-bit words
constexpr unsigned kFallbackOperation = 5, kFallbackRegister = 6, kFallbackValue = 7;
constexpr std::uint32_t kFallbackNameRegister = 2, kFallbackReadRegister = 1;
constexpr DWORD kSupportGetSet = 0x3;

std::uint32_t Word(const std::uint8_t* data, unsigned index) {
  std::uint32_t value;
  std::memcpy(&value, data + 4 * index, 4);
  return value;
}
void SetWord(std::uint8_t* data, unsigned index, std::uint32_t value) { std::memcpy(data + 4 * index, &value, 4); }

void WaitOnPlatformClock(std::uint64_t ms) {
  if (ms == 0) return;
  // The firmware waits without a Sleep of the host, so the host's sleep statistics stay its own.
  if (platform::VirtualClockInUse()) {
    platform::AdvanceVirtualClock(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

std::vector<std::uint8_t> InitialContents(const CameraConfig& config) {
  switch (config.contents) {
    case FlashContents::Sample:
      return MakeSampleFirmware(config.chipId,
                                config.wpConfigByte.value_or(WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow)),
                                config.strings);
    case FlashContents::Erased:
      return {};
    case FlashContents::Bytes:
      return config.flashBytes;
  }
  return {};
}

}  // namespace

CameraModel::CameraModel(const CameraConfig& config)
    : config_(config),
      pacer_(std::chrono::microseconds(config.latencyUs)),
      store_(config.flash.size),
      flash_(config_.flash, store_, flashFaults_, [this] { return PinAsserted(); }),
      mode_(config.mode),
      tracing_(config.trace) {
  registers_[kRegChipId] = config.chipId;
  registers_[kRegTransferSize] = config.reg3C5;
  registers_[kRegChipSelect] = 1;
  registers_[kRegDone] = 1;
  registers_[kRegWriteEnableCommand] = 0x06;
  registers_[kRegProgramCommand] = 0x02;
  const std::uint32_t configAddress = WriteProtectConfigAddress(config.chipId);
  const std::uint32_t pointer = config.flashPointer.value_or(configAddress >= 0x34 ? configAddress - 0x34 : 0);
  for (unsigned i = 0; i < 4; ++i) {
    registers_[static_cast<std::uint16_t>(config.baseAddress + kFlashPointerOffset + i)] =
        static_cast<std::uint8_t>(pointer >> (24 - 8 * i));
  }
  flash_.SetTrace(tracing_ ? &frames_ : nullptr);
}

bool CameraModel::Initialise(std::string* error) {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t> contents = InitialContents(config_);
  contents.resize(std::min<std::size_t>(contents.size(), store_.Size()));
  store_.Write(0, contents);
  if (config_.startProtected) flash_.SetStatus(config_.flash.protectBits | config_.flash.lockBit);
  // A flash file brings the contents and status bits the chip kept through power-off.
  if (!config_.flashFile.empty()) {
    bool loaded = false;
    std::string why;
    if (!store_.AttachFile(config_.flashFile, &loaded, &why)) {
      if (error != nullptr) *error = why;
      return false;
    }
  }
  // In mode 2 the firmware keeps the status register clear itself, from power-on.
  if (mode_ == 2) flash_.SetStatus(0);
  return true;
}

// ---- requests -------------------------------------------------------------------------------

void CameraModel::WaitForRequestLatency() {
  if (config_.latencyUs == 0) return;
  RequestPacer::Clock::time_point due;
  {
    std::lock_guard lock(pacerMutex_);
    due = pacer_.Next(RequestPacer::Clock::now());
  }
  std::this_thread::sleep_until(due);
}

HRESULT CameraModel::KsProperty(int device, int node, const KSPROPERTY* property, ULONG propertyLength, void* data,
                                ULONG dataLength, ULONG* bytesReturned) {
  if (property == nullptr) return E_POINTER;
  if (propertyLength < sizeof(KSP_NODE)) return E_INVALIDARG;
  if (data == nullptr && dataLength != 0) return E_POINTER;
  WaitForRequestLatency();
  const auto* nodeProperty = reinterpret_cast<const KSP_NODE*>(property);

  std::lock_guard lock(mutex_);
  ++requestCount_;
  StartDueFaults();
  Request request{.device = device,
                  .via = RequestRecord::Via::ExtensionUnit,
                  .kind = RequestRecord::Kind::Get,
                  .control = property->Id,
                  .nodeId = nodeProperty->NodeId,
                  .data = static_cast<std::uint8_t*>(data),
                  .length = dataLength};
  const ULONG flags = property->Flags;
  if ((flags & KSPROPERTY_TYPE_SETSUPPORT) != 0) {
    request.kind = RequestRecord::Kind::SetSupport;
  } else if ((flags & KSPROPERTY_TYPE_SET) != 0) {
    request.kind = RequestRecord::Kind::Set;
  } else if ((flags & KSPROPERTY_TYPE_GET) == 0) {
    Record(request, E_INVALIDARG);
    return E_INVALIDARG;
  }

  HRESULT result;
  if (!(property->Set == PROPSETID_EXTENSION_UNIT) || (flags & KSPROPERTY_TYPE_TOPOLOGY) == 0) {
    result = HRESULT_FROM_WIN32_SET_NOT_FOUND;  // not a node property of this unit
  } else if (node >= 0 && nodeProperty->NodeId != static_cast<ULONG>(node)) {
    result = HRESULT_FROM_WIN32_NOT_FOUND;  // a node instance answers for its own node only
  } else {
    result = Dispatch(request);
  }
  if (bytesReturned != nullptr) {
    *bytesReturned = (result == S_OK && request.kind == RequestRecord::Kind::Get) ? dataLength : 0;
  }
  Record(request, result);
  return result;
}

std::uint16_t CameraModel::AnswerNode() const {
  return static_cast<std::uint16_t>(config_.extensionUnitNode >= 0 ? config_.extensionUnitNode
                                                                    : static_cast<int>(config_.answerNodeId));
}

HRESULT CameraModel::Dispatch(const Request& request) {
  if (Disconnected()) return HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED;
  if (config_.devices[request.device].kind == DeviceKind::ForeignWebcam) return HRESULT_FROM_WIN32_SET_NOT_FOUND;
  if (request.kind == RequestRecord::Kind::SetSupport) {
    const bool isUnit = config_.extensionUnitNode >= 0 &&
                        request.nodeId == static_cast<std::uint32_t>(config_.extensionUnitNode);
    if (!isUnit) return HRESULT_FROM_WIN32_SET_NOT_FOUND;
    if (auto failure = InjectedFailure(request)) return *failure;
    return config_.supportProbe;
  }
  if (request.nodeId != AnswerNode()) return HRESULT_FROM_WIN32_NOT_FOUND;
  if (request.control < 1 || request.control > 5) return HRESULT_FROM_WIN32_NOT_FOUND;
  const PayloadSize size = PayloadSizeOf(request.control);
  if (request.length < size.least) return HRESULT_FROM_WIN32_INSUFFICIENT_BUFFER;
  if (request.length > size.most) return E_INVALIDARG;
  if (auto failure = InjectedFailure(request)) return *failure;
  switch (request.control) {
    case 1:
      return Control1(request);
    case 2:
      // The camera's own use of control 2 is unknown here: writes are taken, reads answer zeros.
      if (request.kind == RequestRecord::Kind::Get) std::fill_n(request.data + 2, request.length - 2, 0);
      return S_OK;
    case 3:
      return Control3(request);
    case 4:
      return Control4(request);
    case 5:
      return Control5(request);
    default:
      return HRESULT_FROM_WIN32_NOT_FOUND;
  }
}

HRESULT CameraModel::Control1(const Request& request) {
  std::uint8_t* p = request.data;
  if (request.kind == RequestRecord::Kind::Set) {
    const auto address = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    switch (p[3]) {
      case kDirectionWrite:
        for (const ActiveFault& f : faults_) {
          if (f.live && f.fault.kind == Fault::Kind::RegisterWriteFails && f.fault.reg == address) return f.fault.status;
        }
        WriteRegister(address, p[2]);
        return S_OK;
      case kDirectionRead:
        latchedRegister_ = address;
        return S_OK;
      default:
        return E_INVALIDARG;
    }
  }
  for (const ActiveFault& f : faults_) {
    if (f.live && f.fault.kind == Fault::Kind::RegisterReadFails && f.fault.reg == latchedRegister_) return f.fault.status;
  }
  p[0] = static_cast<std::uint8_t>(latchedRegister_);
  p[1] = static_cast<std::uint8_t>(latchedRegister_ >> 8);
  p[2] = ReadRegister(latchedRegister_);
  p[3] = kDirectionRead;
  return S_OK;
}

HRESULT CameraModel::Control3(const Request& request) {
  std::uint8_t* p = request.data;
  if (request.kind == RequestRecord::Kind::Set) {
    const std::uint8_t command = p[2];
    if (command == kCommandC8 || command == kCommand40) return S_OK;  // taken; no effect modelled
    const std::uint32_t address =
        static_cast<std::uint32_t>(p[0] | (p[1] << 8)) | ((command & kCommandUpperBank) ? kBankBit : 0);
    const unsigned count = std::min<unsigned>(command & kCommandCount, kMaxTransfer);
    if (command & kCommandRead) {
      readPosition_ = address;
      readCount_ = count;
    } else if (count != 0) {
      FirmwareProgram(address, p + 3, count);
    }
    return S_OK;
  }
  std::fill_n(p, request.length, 0);
  p[0] = static_cast<std::uint8_t>(readPosition_);
  p[1] = static_cast<std::uint8_t>(readPosition_ >> 8);
  p[2] = static_cast<std::uint8_t>(kCommandRead | ((readPosition_ & kBankBit) ? kCommandUpperBank : 0) | readCount_);
  if (readCount_ != 0) FirmwareRead(readPosition_, p + 3, readCount_);
  readPosition_ = (readPosition_ + readCount_) & kAddressMask;
  return S_OK;
}

HRESULT CameraModel::Control4(const Request& request) {
  const Control4Config& c4 = config_.control4;
  switch (c4.behaviour) {
    case Control4Behaviour::Refuse:
      return HRESULT_FROM_WIN32_GEN_FAILURE;
    case Control4Behaviour::Normal:
    case Control4Behaviour::CountZero:
      break;
  }
  std::uint8_t* p = request.data;
  if (request.kind == RequestRecord::Kind::Set) {
    const auto address = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    if (c4.failAddress && *c4.failAddress == address) return HRESULT_FROM_WIN32_GEN_FAILURE;
    control4Address_ = address;
    return S_OK;
  }
  const std::uint8_t count = c4.behaviour == Control4Behaviour::CountZero ? 0 : c4.count;
  std::fill_n(p, request.length, 0);
  p[0] = static_cast<std::uint8_t>(control4Address_);
  p[1] = static_cast<std::uint8_t>(control4Address_ >> 8);
  p[2] = count;
  // The controller answers from its copy of the firmware's lower 64 KB, without flash traffic.
  for (unsigned i = 0; i < count && 3 + i < request.length; ++i) {
    p[3 + i] = store_.At((control4Address_ + i) & 0xFFFF);
  }
  return S_OK;
}

HRESULT CameraModel::Control5(const Request& request) {
  if (request.kind == RequestRecord::Kind::Set) return S_OK;  // nothing settable modelled
  std::uint8_t* p = request.data;
  std::fill_n(p, request.length, 0);
  p[0] = static_cast<std::uint8_t>(config_.baseAddress);
  p[1] = static_cast<std::uint8_t>(config_.baseAddress >> 8);
  p[2] = mode_;
  return S_OK;
}

HRESULT CameraModel::FallbackCall(int device, bool set, REFGUID propertySet, DWORD id, void* data, DWORD dataLength,
                                  DWORD* bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  const bool isA = propertySet == PROPSETID_REGISTER_FALLBACK_A;
  if (!isA && !(propertySet == PROPSETID_REGISTER_FALLBACK_B)) return HRESULT_FROM_WIN32_SET_NOT_FOUND;
  WaitForRequestLatency();

  std::lock_guard lock(mutex_);
  ++requestCount_;
  StartDueFaults();
  Request request{.device = device,
                  .via = isA ? RequestRecord::Via::FallbackA : RequestRecord::Via::FallbackB,
                  .kind = set ? RequestRecord::Kind::Set : RequestRecord::Kind::Get,
                  .control = id,
                  .nodeId = 0,
                  .data = static_cast<std::uint8_t*>(data),
                  .length = dataLength};
  const bool answered = isA ? config_.fallback == FallbackSupport::SetA : config_.fallback == FallbackSupport::SetB;
  HRESULT result = S_OK;
  if (Disconnected()) {
    result = HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED;
  } else if (config_.devices[device].kind == DeviceKind::ForeignWebcam || !answered) {
    result = HRESULT_FROM_WIN32_SET_NOT_FOUND;
  } else if (id != 0) {
    result = HRESULT_FROM_WIN32_NOT_FOUND;
  } else if (data == nullptr) {
    result = E_POINTER;
  } else if (dataLength < kFallbackBytes) {
    result = HRESULT_FROM_WIN32_INSUFFICIENT_BUFFER;
  } else if (auto failure = InjectedFailure(request)) {
    result = *failure;
  } else {
    std::uint8_t* p = request.data;
    const std::uint32_t operation = Word(p, kFallbackOperation);
    if (set && operation == kFallbackNameRegister) {
      // Operation 2 names the register that the following read returns.
      fallbackRegister_ = static_cast<std::uint16_t>(Word(p, kFallbackRegister));
    } else if (!set && operation == kFallbackReadRegister) {
      result = S_OK;
      for (const ActiveFault& f : faults_) {
        if (f.live && f.fault.kind == Fault::Kind::RegisterReadFails && f.fault.reg == fallbackRegister_) {
          result = f.fault.status;
        }
      }
      if (result == S_OK) {
        SetWord(p, kFallbackValue, ReadRegister(fallbackRegister_));
        if (bytesReturned != nullptr) *bytesReturned = kFallbackBytes;
      }
    } else {
      result = E_INVALIDARG;
    }
  }
  Record(request, result);
  return result;
}

HRESULT CameraModel::FallbackSupport(int device, REFGUID propertySet, DWORD id, DWORD* support) {
  if (support == nullptr) return E_POINTER;
  std::lock_guard lock(mutex_);
  const bool isA = propertySet == PROPSETID_REGISTER_FALLBACK_A;
  const bool isB = propertySet == PROPSETID_REGISTER_FALLBACK_B;
  const bool answered = (isA && config_.fallback == FallbackSupport::SetA) ||
                        (isB && config_.fallback == FallbackSupport::SetB);
  if (Disconnected()) return HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED;
  if (!answered || config_.devices[device].kind == DeviceKind::ForeignWebcam) return HRESULT_FROM_WIN32_SET_NOT_FOUND;
  if (id != 0) return HRESULT_FROM_WIN32_NOT_FOUND;
  *support = kSupportGetSet;
  return S_OK;
}

std::optional<HRESULT> CameraModel::InjectedFailure(const Request& request) {
  // The address a request concerns, when it has one (a plain pair keeps the compiler sure it is set).
  bool hasAddress = true;
  std::uint16_t address = 0;
  if (request.kind == RequestRecord::Kind::Set && request.length >= 2 &&
      (request.control == 1 || request.control == 3 || request.control == 4)) {
    address = static_cast<std::uint16_t>(request.data[0] | (request.data[1] << 8));
  } else if (request.kind == RequestRecord::Kind::Get) {
    switch (request.control) {
      case 1:
        address = latchedRegister_;
        break;
      case 3:
        address = static_cast<std::uint16_t>(readPosition_);
        break;
      case 4:
        address = control4Address_;
        break;
      default:
        hasAddress = false;
        break;
    }
  } else {
    hasAddress = false;
  }
  if (request.via != RequestRecord::Via::ExtensionUnit) hasAddress = false;
  std::optional<HRESULT> failure;
  for (ActiveFault& active : faults_) {
    const Fault& f = active.fault;
    if (!active.live || f.kind != Fault::Kind::FailRequest) continue;
    const RequestMatch& m = f.match;
    if (m.control && *m.control != request.control) continue;
    if (m.kind && *m.kind != request.kind) continue;
    if (m.via && *m.via != request.via) continue;
    if (m.address && (!hasAddress || *m.address != address)) continue;
    const std::uint64_t seen = ++active.matched;
    const bool inWindow = seen >= f.nth && (f.repeat == ~0u || seen - f.nth <= f.repeat);
    if (inWindow && !failure) failure = f.status;
  }
  return failure;
}

bool CameraModel::Disconnected() const {
  for (const ActiveFault& active : faults_) {
    if (active.live && active.fault.kind == Fault::Kind::Disconnect) return true;
  }
  return false;
}

void CameraModel::StartDueFaults() {
  // The request being served is not counted: a fault that waits for N requests lets N through.
  bool started = false;
  for (ActiveFault& active : faults_) {
    if (!active.live && requestCount_ - 1 - active.addedAt >= active.fault.afterRequests) {
      active.live = true;
      started = true;
    }
  }
  if (started) RebuildFlashFaults();
}

void CameraModel::Record(const Request& request, HRESULT result) {
  if (!tracing_) return;
  RequestRecord record{.via = request.via,
                       .kind = request.kind,
                       .control = request.control,
                       .nodeId = request.nodeId,
                       .payload = {},
                       .result = result,
                       .device = request.device};
  if (request.data != nullptr) record.payload.assign(request.data, request.data + request.length);
  requests_.push_back(std::move(record));
}

// ---- registers and the shift interface ------------------------------------------------------

std::uint8_t CameraModel::ReadRegister(std::uint16_t address) {
  if (address == kRegDone) {
    std::uint8_t done = 1;
    if (doneStuck_ || config_.donePolls == 0) {
      done = 0;
    } else if (donePollsLeft_ > 0) {
      done = --donePollsLeft_ == 0 ? 1 : 0;
    }
    registers_[kRegDone] = done;
    return done;
  }
  return registers_[address];
}

void CameraModel::WriteRegister(std::uint16_t address, std::uint8_t value) {
  switch (address) {
    case kRegChipId:
    case kRegDone:
      return;  // read-only
    case kRegHostAccess:
    case kRegChipSelect:
      registers_[address] = value;
      UpdateChipSelect();
      return;
    case kRegShiftCommand:
      registers_[address] = value;
      if (value == kShiftOut) {
        if (chipSelectLine_) flash_.Clock(registers_[kRegByteOut], false);
      } else if (value == kShiftIn) {
        registers_[kRegByteIn] = chipSelectLine_ ? flash_.Clock(0x00, true) : config_.flash.idleByte;
      } else {
        return;  // not a shift: the done flag stays as it is
      }
      donePollsLeft_ = config_.donePolls;
      return;
    default:
      registers_[address] = value;
      return;
  }
}

void CameraModel::UpdateChipSelect() {
  const bool line = (registers_[kRegHostAccess] & 1) != 0 && (registers_[kRegChipSelect] & 1) == 0;
  if (line == chipSelectLine_) return;
  chipSelectLine_ = line;
  if (line) {
    flash_.Select(false);
  } else {
    flash_.Release();
  }
}

bool CameraModel::PinAsserted() const {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << (config_.wpPin & 7));
  const bool protectingLevel = !config_.wpActiveLow;
  // An undriven pin is pulled to its protecting level.
  const bool level = (registers_[kRegGpioEnable] & mask) ? (registers_[kRegGpioLevel] & mask) != 0 : protectingLevel;
  return level == protectingLevel;
}

// ---- the firmware's flash paths -------------------------------------------------------------

void CameraModel::FirmwareFrame(const std::vector<std::uint8_t>& send, unsigned receive, std::uint8_t* into) {
  // The firmware shares the chip-select line with host access: an open host frame ends here.
  flash_.Release();
  flash_.Select(true);
  for (std::uint8_t b : send) flash_.Clock(b, false);
  for (unsigned i = 0; i < receive; ++i) {
    std::uint8_t b = flash_.Clock(0x00, true);
    if (into != nullptr) into[i] = b;
  }
  flash_.Release();
  if (chipSelectLine_) flash_.Select(false);
}

void CameraModel::FirmwareProgram(std::uint32_t address, const std::uint8_t* bytes, unsigned count) {
  WaitOnPlatformClock(flash_.BusyRemainingMs());
  const std::uint32_t a = address & kAddressMask;
  FirmwareFrame({registers_[kRegWriteEnableCommand]}, 0, nullptr);
  std::vector<std::uint8_t> program = {registers_[kRegProgramCommand], static_cast<std::uint8_t>(a >> 16),
                                       static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)};
  program.insert(program.end(), bytes, bytes + count);
  FirmwareFrame(program, 0, nullptr);
  WaitOnPlatformClock(flash_.BusyRemainingMs());
  std::uint8_t status = 0;
  FirmwareFrame({kReadStatusOpcode}, 1, &status);
}

void CameraModel::FirmwareRead(std::uint32_t address, std::uint8_t* bytes, unsigned count) {
  const std::uint32_t a = address & kAddressMask;
  FirmwareFrame({kReadOpcode, static_cast<std::uint8_t>(a >> 16), static_cast<std::uint8_t>(a >> 8),
                 static_cast<std::uint8_t>(a)},
                count, bytes);
}

// ---- accessors ------------------------------------------------------------------------------

std::uint8_t CameraModel::Reg(std::uint16_t address) const {
  std::lock_guard lock(mutex_);
  return registers_[address];
}

void CameraModel::SetReg(std::uint16_t address, std::uint8_t value) {
  std::lock_guard lock(mutex_);
  registers_[address] = value;
  if (address == kRegHostAccess || address == kRegChipSelect) UpdateChipSelect();
}

void CameraModel::SetMode(std::uint8_t mode) {
  std::lock_guard lock(mutex_);
  mode_ = mode;
  if (mode_ == 2) flash_.SetStatus(0);
}

std::vector<std::uint8_t> CameraModel::Flash() const {
  std::lock_guard lock(mutex_);
  return store_.Bytes();
}

void CameraModel::SetFlash(const std::uint8_t* bytes, std::size_t size, std::uint32_t offset) {
  std::lock_guard lock(mutex_);
  store_.Write(offset, std::span(bytes, size));
}

std::uint8_t CameraModel::StatusRegister() const {
  std::lock_guard lock(mutex_);
  return flash_.Status();
}

void CameraModel::SetStatusRegister(std::uint8_t value) {
  std::lock_guard lock(mutex_);
  flash_.SetStatus(value);
}

bool CameraModel::WriteProtectAsserted() const {
  std::lock_guard lock(mutex_);
  return PinAsserted();
}

bool CameraModel::ChipSelected() const {
  std::lock_guard lock(mutex_);
  return (registers_[kRegChipSelect] & 1) == 0;
}

bool CameraModel::HostAccess() const {
  std::lock_guard lock(mutex_);
  return (registers_[kRegHostAccess] & 1) != 0;
}

std::vector<RequestRecord> CameraModel::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<SpiFrame> CameraModel::SpiFrames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

std::uint64_t CameraModel::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requestCount_;
}

void CameraModel::ClearTrace() {
  std::lock_guard lock(mutex_);
  requests_.clear();
  frames_.clear();
}

void CameraModel::SetTracing(bool on) {
  std::lock_guard lock(mutex_);
  tracing_ = on;
  flash_.SetTrace(on ? &frames_ : nullptr);
}

void CameraModel::AddFault(const Fault& fault) {
  std::lock_guard lock(mutex_);
  faults_.push_back({.fault = fault, .matched = 0, .addedAt = requestCount_, .live = fault.afterRequests == 0});
  RebuildFlashFaults();
}

void CameraModel::ClearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
  RebuildFlashFaults();
}

void CameraModel::RebuildFlashFaults() {
  flashFaults_ = FlashFaults{};
  doneStuck_ = false;
  for (const ActiveFault& active : faults_) {
    if (!active.live) continue;
    const Fault& f = active.fault;
    const FlashFaults::Range range{.address = f.address, .length = f.length, .bits = f.bits};
    switch (f.kind) {
      case Fault::Kind::BusyStuck:
        flashFaults_.busyStuck = true;
        break;
      case Fault::Kind::DoneStuck:
        doneStuck_ = true;
        break;
      case Fault::Kind::EraseIgnored:
        flashFaults_.eraseIgnored = true;
        break;
      case Fault::Kind::ErasePartial:
        flashFaults_.eraseKeeps.push_back(range);
        break;
      case Fault::Kind::ProgramBitError:
        flashFaults_.programStuck.push_back(range);
        break;
      case Fault::Kind::ReadError:
        flashFaults_.readFlips.push_back(range);
        break;
      case Fault::Kind::FailRequest:
      case Fault::Kind::Disconnect:
      case Fault::Kind::RegisterReadFails:
      case Fault::Kind::RegisterWriteFails:
        break;
    }
  }
}

}  // namespace simcam
