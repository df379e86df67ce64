// The camera's request latency: deadlines that advance by one latency per request, so a late
// wakeup is made up by the next request, and start afresh after the camera has sat idle.
#include <gtest/gtest.h>

#include "simulated_camera/request_pacer.h"

namespace simcam::testing {
namespace {

using std::chrono::microseconds;

TEST(RequestPacerTest, LatencyHoldsOnAverageAndRestartsAfterIdleSpells) {
  struct Step {
    const char* what;
    long arrives;    // us
    long completes;  // us
  };
  // A latency of 125 us; the host wakes up 80 us late from every sleep.
  const Step steps[] = {
      {"first request: one latency", 1000, 1125},
      {"80 us late: made up by this one", 1205, 1250},
      {"again", 1330, 1375},
      {"asked on another thread while that one is pending: queued behind it", 1340, 1500},
      {"exactly one latency after the last deadline: due at once", 1625, 1625},
      {"idle for longer than a latency: afresh", 5000, 5125},
      {"one microsecond more than a latency late: afresh", 5251, 5376},
  };
  RequestPacer pacer(microseconds(125));
  const RequestPacer::Clock::time_point origin{};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(pacer.Next(origin + microseconds(step.arrives)) - origin, microseconds(step.completes));
  }
}

}  // namespace
}  // namespace simcam::testing
