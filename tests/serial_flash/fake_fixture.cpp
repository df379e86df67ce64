#include "fake_fixture.h"

#include <algorithm>

#include "platform/com/com_runtime.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/library_state_for_test.h"
#include "serial_flash/serial_flash.h"

namespace sftest {

std::uint8_t FakeFlashByte(std::uint32_t address) {
  return static_cast<std::uint8_t>(address * 31 + (address >> 8) * 7 + (address >> 16) * 0x5B);
}

void FakeCameraTest::SetUp() {
  SFResetLibraryStateForTest();
  platform::ClearVideoInputDevices();
  platform::UseVirtualClock();
  platform::ResetSleepStats();
  objectsAtStart_ = platform::LiveComObjects();
  comAtStart_ = platform::ComInitCount();
  state_ = std::make_shared<FakeCameraState>();
  state_->nodes = {{.type = KSNODETYPE_VIDEO_PROCESSING}, {.type = KSNODETYPE_DEV_SPECIFIC}};
  device_ = std::make_shared<FakeKsDevice>(state_);
  // A data read answers from the position the last read-address command set, moved on by
  // its count (eight in the upper bank) for every data read since.
  FakeCameraState* raw = state_.get();
  state_->reply = [this, raw](const FakeCall& call, std::uint8_t* data) {
    const FakeCall* lastSet = nullptr;
    std::uint32_t readsSince = 0;
    for (auto it = raw->calls.rbegin(); it != raw->calls.rend(); ++it) {
      if (it->onNodeInstance || it->id != call.id) continue;
      if (it->flags == 0x10000001) {
        ++readsSince;
        continue;
      }
      if (call.id == 3 && (it->data[2] & 0x80) == 0) continue;
      lastSet = &*it;
      break;
    }
    std::uint32_t address = lastSet ? static_cast<std::uint32_t>(lastSet->data[0] | lastSet->data[1] << 8) : 0;
    switch (call.id) {
      case 1:
        data[2] = address == 0x3C5 ? reg3C5_ : address == 0x1084 ? (doneStuck_ ? 0 : 1) : regs_[address];
        break;
      case 5:
        data[0] = static_cast<std::uint8_t>(base_ & 0xFF);
        data[1] = static_cast<std::uint8_t>(base_ >> 8);
        data[2] = mode_;
        break;
      case 3: {
        bool upper = lastSet != nullptr && (lastSet->data[2] & 0x10) != 0;
        std::uint32_t step = upper ? 8u : (lastSet ? lastSet->data[2] & 0x0Fu : 8u);
        std::uint32_t position = (upper ? 0x10000u : 0u) + address + step * readsSince;
        for (std::uint32_t i = 0; i < 8; ++i) data[3 + i] = FakeFlashByte(position + i);
        break;
      }
      case 4:
        data[2] = control4Count_;
        for (std::uint32_t i = 0; i < 8; ++i) data[3 + i] = FakeFlashByte(address + i);
        break;
      default:
        break;
    }
  };
  state_->onSet = [this](const FakeCall& call) {
    if (call.id != 1 || call.data[3] != 0x00) return;
    std::uint16_t reg = static_cast<std::uint16_t>(call.data[0] | call.data[1] << 8);
    std::uint8_t value = call.data[2];
    regs_[reg] = value;
    if (reg == 0x1091 && value == 0) {
      frames_.emplace_back();
      received_ = 0;
    }
    if (reg != 0x1081 || frames_.empty()) return;
    std::vector<std::uint8_t>& frame = frames_.back();
    if (value == 1) frame.push_back(regs_[0x1082]);
    if (value == 2 && !frame.empty()) {
      std::uint8_t opcode = frame.front();
      if (opcode == 0x05) {
        regs_[0x1083] = statuses_[std::min(statusReads_++, statuses_.size() - 1)];
      } else {
        const auto& answer = answers_[opcode];
        regs_[0x1083] = received_ < answer.size() ? answer[received_] : 0xFF;
        ++received_;
      }
    }
  };
}

std::vector<std::pair<std::uint16_t, std::uint8_t>> FakeCameraTest::RegisterWrites() const {
  std::vector<std::pair<std::uint16_t, std::uint8_t>> out;
  for (const FakeCall& c : state_->calls) {
    if (c.id == 1 && c.flags == 0x10000002 && c.data[3] == 0x00) {
      out.emplace_back(static_cast<std::uint16_t>(c.data[0] | c.data[1] << 8), c.data[2]);
    }
  }
  return out;
}

std::vector<std::uint8_t> FakeCameraTest::Opcodes() const {
  std::vector<std::uint8_t> out;
  for (const auto& f : frames_) {
    if (!f.empty()) out.push_back(f.front());
  }
  return out;
}

void FakeCameraTest::TearDown() {
  SFResetLibraryStateForTest();
  while (platform::ComInitCount() > comAtStart_) CoUninitialize();
  platform::ClearVideoInputDevices();
  platform::UseRealClock();
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_) << "a COM object was not released";
  EXPECT_EQ(state_->controlsHandedOut, state_->controlsReleased) << "an IKsControl was not released";
}

void FakeCameraTest::BindCamera() {
  if (!registered_) platform::RegisterVideoInputDevice(device_);
  registered_ = true;
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  Forget();
}

int FakeCameraTest::Open() {
  if (!registered_) platform::RegisterVideoInputDevice(device_);
  registered_ = true;
  int result = SFOpen();
  Forget();
  return result;
}

std::vector<Req> FakeCameraTest::Requests() const {
  std::vector<Req> out;
  for (const FakeCall& c : state_->calls) {
    if (c.flags == 0x10000100) out.push_back(Probe(c.nodeId));
    else if (c.flags == 0x10000001) out.push_back(Get(c.id, c.dataLength));
    else out.push_back(Set(c.id, c.data));
  }
  return out;
}

}  // namespace sftest
