#pragma once
// Faults placed at one stage of a workflow. A clean run's request trace gives the index of each
// stage's first request; a fault that waits for that many requests (Fault::afterRequests) then
// starts exactly there in a run that sends the same requests up to that point.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <span>
#include <string>
#include <typeindex>
#include <vector>

#include "burner/burner_globals.h"
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

// A control-1 write of the register, of any value or of this one.
inline bool WritesRegister(const simcam::RequestRecord& r, std::uint16_t reg) {
  return r.control == 1 && r.kind == simcam::RequestRecord::Kind::Set && r.payload.size() == 4 &&
         r.payload[3] == 0x00 && (r.payload[0] | r.payload[1] << 8) == reg;
}
inline auto WritesAnything(std::uint16_t reg) {
  return [=](const simcam::RequestRecord& r) { return WritesRegister(r, reg); };
}
inline auto Writes(std::uint16_t reg, std::uint8_t value) {
  return [=](const simcam::RequestRecord& r) { return WritesRegister(r, reg) && r.payload[2] == value; };
}

// The stages that the burn and the erase begin with: the write-protect disable, then the chip
// erase. The disable ends with the controller bits of 0x17C2; the library's own identification
// within it sends the same commands as the burner's detection after it.
inline std::vector<Stage> DisableAndEraseStages() {
  return {
      {"disable", [](const simcam::RequestRecord&) { return true; }},
      {"disable end", WritesAnything(0x17C2)},
      {"detection", Writes(0x1082, 0x9F)},
      {"erase", Writes(0x1082, 0x60)},  // the default camera's flash takes the 0x60 sequence
      {"erase wait", Writes(0x1082, 0x05)},
  };
}

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

// Runs a workflow's fault table: each fault of a row on a fresh camera, from the first request of
// the row's stage on. The workflow must end within the clock bound with the row's result and
// messages; CheckLeft looks at what it left. A clean run, once per workflow, finds the stages.
template <class Base>
class StageFaultTest : public Base, public ::testing::WithParamInterface<StageFault> {
 protected:
  virtual std::span<const Stage> Stages() const = 0;
  // Registers a fresh camera and prepares whatever the run needs.
  virtual void Arrange() = 0;
  virtual int Run() = 0;
  virtual void CheckLeft(int result) = 0;

  void RunRow() {
    const StageFault& row = this->GetParam();
    const std::size_t start = CleanStageStarts()[StageIndex(Stages(), row.stage)];
    for (simcam::Fault fault : row.faults) {
      SCOPED_TRACE("fault kind " + std::to_string(static_cast<int>(fault.kind)));
      fault.afterRequests = static_cast<unsigned>(start);
      this->TearDown();
      this->SetUp();
      Arrange();
      this->camera->AddFault(fault);
      const platform::Milliseconds begin = platform::NowMs();
      EXPECT_EQ(Run(), row.result);
      EXPECT_LT(platform::NowMs() - begin, kWorkflowTimeBound);
      EXPECT_EQ(this->ctx.Messages(), row.messages);
      EXPECT_EQ(g_bankFlag, 0);
      CheckLeft(row.result);
    }
  }

 private:
  const std::vector<std::size_t>& CleanStageStarts() {
    static std::map<std::type_index, std::vector<std::size_t>> found;
    std::vector<std::size_t>& starts = found[typeid(*this)];
    if (starts.empty()) {
      Arrange();
      EXPECT_EQ(Run(), 1) << "the clean run";
      starts = FindStageStarts(this->camera->Requests(), Stages());
    }
    return starts;
  }
};

}  // namespace burner_test
