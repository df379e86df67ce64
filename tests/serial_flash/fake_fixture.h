#pragma once
// A fixture around the hand-built camera: a fresh library, the fake registered as the only
// video-input device, COM and object counts checked at the end. The fake answers controls 3 and
// 4 from a flash whose every byte is a function of its address, and follows the camera's read
// position as the read-address commands set it.
#include <gtest/gtest.h>

#include <memory>

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
  void Forget() { state_->calls.clear(); }

  std::size_t objectsAtStart_ = 0;
  int comAtStart_ = 0;
  bool registered_ = false;
  std::shared_ptr<FakeCameraState> state_;
  std::shared_ptr<FakeKsDevice> device_;
  std::uint8_t control4Count_ = 8;
  std::uint8_t reg3C5_ = 0;
};

}  // namespace sftest
