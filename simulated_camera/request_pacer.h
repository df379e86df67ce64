#pragma once
// How long the simulated camera takes to answer: a USB control transfer takes its time on the bus,
// which the camera stands in for with a latency per request. A fresh sleep per request would add
// the host's wakeup delay to every one; instead each request completes at a deadline that advances
// by one latency per request, so a late wakeup is made up by the next request and the latency
// holds on average. After the camera has sat idle for more than one latency, the deadlines start
// again from the present. Not thread-safe: the camera model calls it under a lock.
#include <chrono>

namespace simcam {

class RequestPacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit RequestPacer(std::chrono::microseconds latency) : latency_(latency) {}

  // When the request that arrives at `now` completes.
  Clock::time_point Next(Clock::time_point now) {
    if (deadline_ < now - latency_) deadline_ = now;
    deadline_ += latency_;
    return deadline_;
  }

 private:
  std::chrono::microseconds latency_;
  Clock::time_point deadline_{};
};

}  // namespace simcam
