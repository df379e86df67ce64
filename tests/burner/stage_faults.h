#pragma once
// Faults placed at one stage of a workflow. A clean run's request trace gives the index of each
// stage's first request; a fault that waits for that many requests (Fault::afterRequests) then
// starts exactly there in a run that sends the same requests up to that point.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/runtime/clock.h"
#include "simulated_camera/simulated_camera.h"

namespace burner_test {

// Every workflow, whatever the camera does, ends within this much clock time.
inline constexpr platform::Milliseconds kWorkflowTimeBound = 60'000;

struct Stage {
  const char* name;
  // The stage's first request; searched from the first request of the stage before it.
  std::function<bool(const simcam::RequestRecord&)> begins;
};

// The index of each stage's first request in the trace; fails the test for a stage not found.
inline std::vector<std::size_t> FindStageStarts(const std::vector<simcam::RequestRecord>& trace,
                                                std::span<const Stage> stages) {
  std::vector<std::size_t> starts;
  std::size_t from = 0;
  for (const Stage& stage : stages) {
    std::size_t at = from;
    while (at < trace.size() && !stage.begins(trace[at])) ++at;
    EXPECT_LT(at, trace.size()) << "no request begins the stage " << stage.name;
    starts.push_back(at);
    from = at;
  }
  return starts;
}

inline std::size_t StageIndex(std::span<const Stage> stages, const std::string& name) {
  for (std::size_t i = 0; i < stages.size(); ++i) {
    if (name == stages[i].name) return i;
  }
  ADD_FAILURE() << "no stage " << name;
  return 0;
}

// A control-1 register write of this value.
inline bool WritesRegister(const simcam::RequestRecord& r, std::uint16_t reg, std::uint8_t value) {
  return r.control == 1 && r.kind == simcam::RequestRecord::Kind::Set && r.payload.size() == 4 &&
         r.payload[3] == 0x00 && (r.payload[0] | r.payload[1] << 8) == reg && r.payload[2] == value;
}
inline auto Writes(std::uint16_t reg, std::uint8_t value) {
  return [=](const simcam::RequestRecord& r) { return WritesRegister(r, reg, value); };
}
inline auto WritesAnything(std::uint16_t reg) {
  return [=](const simcam::RequestRecord& r) {
    return r.control == 1 && r.kind == simcam::RequestRecord::Kind::Set && r.payload.size() == 4 &&
           r.payload[3] == 0x00 && (r.payload[0] | r.payload[1] << 8) == reg;
  };
}
// The write-protect disable ends with the controller bits of 0x17C2; the library's own
// identification before it sends the same commands as the burner's detection after it.
inline const Stage kDisableEnd = {"disable end", WritesAnything(0x17C2)};

// The two ways a camera stops answering: it vanishes, or it refuses every request from then on.
// Each alone must give a row's outcome.
inline std::vector<simcam::Fault> StopsAnswering() {
  return {{.kind = simcam::Fault::Kind::Disconnect},
          {.kind = simcam::Fault::Kind::FailRequest, .repeat = ~0u}};
}
// The flash stays busy from then on.
inline std::vector<simcam::Fault> StaysBusy() { return {{.kind = simcam::Fault::Kind::BusyStuck}}; }
// The first request from then on that matches is refused, and only it.
inline std::vector<simcam::Fault> RefusesOnce(simcam::RequestMatch match) {
  return {{.kind = simcam::Fault::Kind::FailRequest, .match = match}};
}
// The status byte that a status poll reads back (control-1 read of 0x1083).
inline simcam::RequestMatch StatusByteRead() {
  return {.control = 1, .kind = simcam::RequestRecord::Kind::Get, .address = 0x1083};
}

// One row of a workflow's fault table.
struct StageFault {
  const char* name;                   // test name
  const char* stage;                  // where the fault starts
  std::vector<simcam::Fault> faults;  // each alone gives the outcome below
  std::vector<std::wstring> messages;
  int result;
};

inline void PrintTo(const StageFault& row, std::ostream* os) { *os << row.name; }
inline std::string StageFaultName(const ::testing::TestParamInfo<StageFault>& info) { return info.param.name; }

// Each fault of the row, moved to the stage's first request.
inline std::vector<simcam::Fault> FaultsAt(const StageFault& row, std::span<const Stage> stages,
                                           const std::vector<std::size_t>& starts) {
  std::vector<simcam::Fault> placed = row.faults;
  for (simcam::Fault& fault : placed) {
    fault.afterRequests = static_cast<unsigned>(starts[StageIndex(stages, row.stage)]);
  }
  return placed;
}

}  // namespace burner_test
