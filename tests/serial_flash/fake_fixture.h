#pragma once
// A fixture around the hand-built camera: a fresh library, the fake registered as the only
// video-input device, COM and object counts checked at the end. The fake answers controls 3 and
// 4 from a flash whose every byte is a function of its address, and follows the camera's read
// position as the read-address commands set it.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "fake_ks_camera.h"
#include "request_table.h"

namespace sftest {

// The byte the fake flash holds at a 17-bit address.
std::uint8_t FakeFlashByte(std::uint32_t address);

class FakeCameraTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Registers the fake; binds it as the transport's camera without opening a slot.
  void BindCamera();
  // Registers the fake (once) and opens slot 0; forgets the traffic before returning.
  int Open();
  std::vector<Req> Requests() const;
  void Forget() {
    state_->calls.clear();
    state_->nodeCalls = 0;
  }

  std::size_t objectsAtStart_ = 0;
  int comAtStart_ = 0;
  bool registered_ = false;
  std::shared_ptr<FakeCameraState> state_;
  std::shared_ptr<FakeKsDevice> device_;
  std::uint8_t control4Count_ = 8;
  std::uint8_t reg3C5_ = 0;

  // The controller behind control 1 and 5: registers, the shift interface and a flash that answers
  // from `answers` (bytes clocked in after an opcode, idle 0xFF beyond) and the status command
  // from `statuses` (the last one repeats).
  std::uint8_t regs_[0x10000] = {};
  bool doneStuck_ = false;
  std::vector<std::vector<std::uint8_t>> frames_;  // bytes shifted out per chip-select cycle
  std::vector<std::uint8_t> answers_[256];
  std::vector<std::uint8_t> statuses_ = {0x00};
  std::size_t statusReads_ = 0;
  std::size_t received_ = 0;
  std::uint16_t base_ = 0x0A00;
  std::uint8_t mode_ = 1;
  std::uint16_t lastRead_ = 0;
  // Register writes only, in order: (register, value).
  std::vector<std::pair<std::uint16_t, std::uint8_t>> RegisterWrites() const;
  std::vector<std::uint8_t> Opcodes() const;
};

}  // namespace sftest
