#pragma once
// The dispatcher's ordering rules, run against each way the user-interface thread waits: the
// framework's own wait, and a view's event loop. The tests (dispatch_order_test.cpp) are
// instantiated by each test program for the waits it has.
//
// Each test holds the user-interface thread inside a posted function while work is queued behind
// it, so that what the thread serves first is decided by the dispatcher alone. It learns that a
// send is queued from the dispatcher's send count, never from a pause.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialog/view.h"

namespace dispatch_order {

// One way of waiting on the user-interface thread until done() holds, serving queued work.
struct WaitKind {
  const char* name;
  std::function<void(platform::dialog::Pump& pump, const std::function<bool()>& done)> wait;
  // The dispatcher's work-pending hook while the test runs: what wakes a view's own loop.
  std::function<void()> wake_loop{};
};

inline void PrintTo(const WaitKind& kind, std::ostream* out) { *out << kind.name; }

class DispatchOrderTest : public ::testing::TestWithParam<WaitKind> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the user-interface thread, waiting in the parameter's wait until the test ends.
  void StartUiThread();
  // Waits the parameter's way on the user-interface thread until done() holds.
  void Wait(const std::function<bool()>& done);
  // Posts a function that holds the user-interface thread until Release(); true once it holds.
  bool Hold();
  void Release();
  // Starts a worker that sends fn to the user-interface thread; true once the send is queued.
  bool SendFromWorker(std::function<void()> fn);
  // What the user-interface thread did, in order; only ever touched on that thread.
  void Note(const std::string& step) { order_.push_back(step); }
  // Ends the user-interface thread and returns the steps.
  std::vector<std::string> Finish();

 private:
  std::thread ui_;
  bool stop_ = false;  // user-interface thread only
  std::vector<std::string> order_;
  std::vector<std::thread> workers_;
  std::function<void()> release_;
};

std::string WaitKindName(const ::testing::TestParamInfo<WaitKind>& info);

}  // namespace dispatch_order
