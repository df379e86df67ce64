// The dispatcher's ordering rules: sends before posted work, a wait that ends only after the sends
// pending at its end are served, and a worker's send served while a box opened by another
// worker's send is up.
#include "dispatch_order.h"

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <utility>

#include "platform/dialog/ui_dispatcher.h"

namespace dispatch_order {

using platform::dialog::UiDispatcher;

namespace {
constexpr std::chrono::seconds kTimeout{10};
constexpr std::chrono::milliseconds kRecheck{1};

// Re-checks ready() until it holds or the timeout passes.
bool Eventually(const std::function<bool()>& ready) {
  const auto deadline = std::chrono::steady_clock::now() + kTimeout;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kRecheck);
  }
  return true;
}
}  // namespace

std::string WaitKindName(const ::testing::TestParamInfo<WaitKind>& info) {
  std::string name = info.param.name;
  std::erase(name, ' ');
  return name;
}

void DispatchOrderTest::SetUp() {
  ASSERT_FALSE(UiDispatcher::Get().HasUiThread());
  UiDispatcher::Get().SetWorkPendingHook(GetParam().wake_loop);
}

void DispatchOrderTest::TearDown() {
  Finish();
  UiDispatcher::Get().SetWorkPendingHook(nullptr);
}

void DispatchOrderTest::StartUiThread() {
  std::promise<bool> owned;
  ui_ = std::thread([this, &owned] {
    UiDispatcher::Scope scope;
    owned.set_value(scope.owns());
    Wait([this] { return stop_; });
  });
  ASSERT_TRUE(owned.get_future().get());
}

void DispatchOrderTest::Wait(const std::function<bool()>& done) {
  platform::dialog::Pump pump;
  GetParam().wait(pump, done);
}

bool DispatchOrderTest::Hold() {
  auto entered = std::make_shared<std::promise<void>>();
  auto release = std::make_shared<std::promise<void>>();
  std::future<void> holding = entered->get_future();
  UiDispatcher::Get().Post([entered, released = release->get_future().share()] {
    entered->set_value();
    released.wait();
  });
  release_ = [release] { release->set_value(); };
  return holding.wait_for(kTimeout) == std::future_status::ready;
}

void DispatchOrderTest::Release() {
  if (release_) std::exchange(release_, nullptr)();
}

bool DispatchOrderTest::SendFromWorker(std::function<void()> fn) {
  const std::uint64_t before = UiDispatcher::Get().SendsQueued();
  workers_.emplace_back([fn = std::move(fn)] { UiDispatcher::Get().Call(fn); });
  return Eventually([&] { return UiDispatcher::Get().SendsQueued() > before; });
}

std::vector<std::string> DispatchOrderTest::Finish() {
  Release();
  if (ui_.joinable()) {
    UiDispatcher::Get().Post([this] { stop_ = true; });
    ui_.join();
  }
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  return order_;
}

TEST_P(DispatchOrderTest, SendsAreServedBeforePostedWork) {
  StartUiThread();
  ASSERT_TRUE(Hold());
  UiDispatcher::Get().Post([this] { Note("posted"); });
  auto input = UiDispatcher::Get().PostInput([this] { Note("input"); });
  ASSERT_TRUE(SendFromWorker([this] { Note("sent"); }));
  Release();
  ASSERT_TRUE(input->WaitSettled(kTimeout));
  std::vector<std::string> order = Finish();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], "sent");
}

TEST_P(DispatchOrderTest, AWaitReturnsOnlyAfterTheSendsPendingAtItsEndAreServed) {
  StartUiThread();
  std::atomic<bool> inner_done{false};
  UiDispatcher::Get().Post([&] {
    Note("wait begins");
    Wait([&] { return inner_done.load(); });
    Note("wait returned");
  });
  ASSERT_TRUE(Hold());  // inside the inner wait
  ASSERT_TRUE(SendFromWorker([this] { Note("sent"); }));
  // The wait's condition holds while the send is still queued.
  inner_done = true;
  UiDispatcher::Get().Wake();
  Release();
  EXPECT_EQ(Finish(), (std::vector<std::string>{"wait begins", "sent", "wait returned"}));
}

TEST_P(DispatchOrderTest, AWorkersSendIsServedWhileABoxOpenedByAnotherWorkerIsUp) {
  StartUiThread();
  bool answered = false;  // user-interface thread only
  std::promise<void> box_open;
  // The first worker's send opens a box: a wait on the user-interface thread until it is answered.
  ASSERT_TRUE(SendFromWorker([&] {
    Note("box opens");
    box_open.set_value();
    Wait([&] { return answered; });
    Note("box closed");
  }));
  ASSERT_EQ(box_open.get_future().wait_for(kTimeout), std::future_status::ready) << "the box never opened";
  auto sent = std::async(std::launch::async, [this] { UiDispatcher::Get().Call([this] { Note("sent"); }); });
  EXPECT_EQ(sent.wait_for(kTimeout), std::future_status::ready) << "the send waited for the box to close";
  UiDispatcher::Get().Post([&] { answered = true; });
  sent.wait();
  EXPECT_EQ(Finish(), (std::vector<std::string>{"box opens", "sent", "box closed"}));
}

}  // namespace dispatch_order
