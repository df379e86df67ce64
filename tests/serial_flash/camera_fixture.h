#pragma once
// A fixture around the simulated camera: a fresh library, the camera's devices in the enumeration,
// the virtual clock, COM and object counts checked at the end, and the camera's traces in the forms
// the tests compare.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "request_table.h"
#include "simulated_camera/simulated_camera.h"

namespace sftest {

// The byte a patterned flash holds at a 17-bit address: every byte differs from its neighbours and
// from its partner in the other bank.
std::uint8_t PatternByte(std::uint32_t address);
// A 128 KB flash of pattern bytes, for CameraConfig::flashBytes.
std::vector<std::uint8_t> PatternFlash();

// A camera whose flash answers nothing but the given identification answers (each repeats).
simcam::FlashProfile AnsweringFlash(std::uint8_t opcode, std::vector<std::uint8_t> answer);

// "SET c1 @2 [06 10 5A 00] ok", "GET c4 @2 [...] fail 0x8007001F", "PROBE @2 [] ok".
std::string TraceLine(const simcam::RequestRecord& record);
std::vector<std::string> TraceLines(const std::vector<simcam::RequestRecord>& records);

using RegisterWriteList = std::vector<std::pair<std::uint16_t, std::uint8_t>>;

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The camera made from config_ on first use; its devices join the enumeration then.
  simcam::SimulatedCamera& Camera();
  // Drops the library's hold and the camera, and attaches a fresh camera made from config.
  void Replace(const simcam::CameraConfig& config);
  // Binds the camera as the transport's camera without opening a slot; forgets the traffic.
  void BindCamera();
  // Opens slot 0 on the camera; forgets the open's traffic before returning.
  int Open();
  void Forget() { Camera().ClearTrace(); }

  std::vector<Req> Requests() const;
  // Control-1 register writes, in order: (register, value).
  RegisterWriteList RegisterWrites() const;
  // Serial-flash frames the host sent (not the controller's own reads and programs): the opcode
  // and the bytes shifted out after it.
  std::vector<std::vector<std::uint8_t>> HostFrames() const;
  std::vector<std::uint8_t> HostOpcodes() const;
  // References the held camera filter carries right now.
  static unsigned long FilterReferences();

  simcam::CameraConfig config_;
  std::shared_ptr<simcam::SimulatedCamera> camera_;
  std::size_t objectsAtStart_ = 0;
  int comAtStart_ = 0;
};

}  // namespace sftest
