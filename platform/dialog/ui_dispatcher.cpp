#include "platform/dialog/ui_dispatcher.h"

#include <utility>

#include "platform/dialog/spin_wait.h"

namespace platform::dialog {

bool InputTicket::WaitSettled(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return settled_; });
}

bool InputTicket::settled() const {
  std::lock_guard lock(mutex_);
  return settled_;
}

void InputTicket::Settle() {
  {
    std::lock_guard lock(mutex_);
    settled_ = true;
  }
  changed_.notify_all();
}

UiDispatcher& UiDispatcher::Get() {
  static UiDispatcher dispatcher;
  return dispatcher;
}

bool UiDispatcher::OnUiThread() const {
  std::lock_guard lock(mutex_);
  return ui_thread_ == std::this_thread::get_id();
}

bool UiDispatcher::HasUiThread() const {
  std::lock_guard lock(mutex_);
  return ui_thread_.has_value();
}

UiDispatcher::Scope::Scope() {
  UiDispatcher& d = Get();
  std::lock_guard lock(d.mutex_);
  if (!d.ui_thread_) d.ui_thread_ = std::this_thread::get_id();
  if (d.ui_thread_ == std::this_thread::get_id()) {
    ++d.scope_depth_;
    owns_ = true;
  }
}

UiDispatcher::Scope::~Scope() {
  if (!owns_) return;
  UiDispatcher& d = Get();
  std::unique_lock lock(d.mutex_);
  if (d.scope_depth_ == 1) {
    // Nobody may be left waiting on a thread that stops serving: finish queued sends first. The
    // release happens under the same lock as the last check, so a later send runs on its caller.
    while (d.RunNextLocked(lock, /*sends_only=*/true)) {
    }
    d.ui_thread_.reset();
    d.view_woken_ = false;
    // Input for a user interface that has gone is dropped; whoever waits for it is released.
    for (Input& input : d.inputs_) input.ticket->Settle();
    d.inputs_.clear();
  }
  --d.scope_depth_;
}

namespace {
// The longest a thread spins for its partner in a send. A sender that sends again within this
// time of its last send is quick: the UI thread that serves it spins as long for the next one.
constexpr std::chrono::microseconds kHandOverSpin{20};
}  // namespace

void UiDispatcher::Call(const std::function<void()>& fn) {
  thread_local std::chrono::steady_clock::time_point last_send_returned{};
  std::unique_lock lock(mutex_);
  if (!ui_thread_ || ui_thread_ == std::this_thread::get_id()) {
    lock.unlock();
    fn();
    return;
  }
  auto send = std::make_shared<Send>();
  send->fn = &fn;
  send->quick = std::chrono::steady_clock::now() - last_send_returned < kHandOverSpin;
  sends_.push_back(send);
  sends_queued_.fetch_add(1, std::memory_order_relaxed);
  const Wakeup wakeup = WakeupForQueuedLocked();
  lock.unlock();
  WakeUp(wakeup);
  WaitServed(*send);
  last_send_returned = std::chrono::steady_clock::now();
  if (send->error) std::rethrow_exception(send->error);
}

void UiDispatcher::WaitServed(const Send& send) {
  auto served = [&] { return send.served.load(std::memory_order_acquire) != 0; };
  // A quick sender finds the UI thread awake, spinning for it.
  if (send.quick && SpinFor(kHandOverSpin, served)) return;
  while (!served()) send.served.wait(0, std::memory_order_acquire);
}

void UiDispatcher::Post(std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  posted_.push_back(std::move(fn));
  const Wakeup wakeup = WakeupForQueuedLocked();
  lock.unlock();
  WakeUp(wakeup);
}

std::shared_ptr<InputTicket> UiDispatcher::PostInput(std::function<void()> fn) {
  auto ticket = std::make_shared<InputTicket>();
  std::unique_lock lock(mutex_);
  inputs_.push_back({std::move(fn), ticket});
  const Wakeup wakeup = WakeupForQueuedLocked();
  lock.unlock();
  WakeUp(wakeup);
  return ticket;
}

UiDispatcher::Wakeup UiDispatcher::WakeupForQueuedLocked() {
  queue_serial_.fetch_add(1, std::memory_order_relaxed);
  if (ui_blocked_) {
    ui_blocked_ = false;
    return {.ui_thread = true, .hook = nullptr};
  }
  // Whatever the UI thread is doing, it may be blocked in a view's loop: wake that loop once.
  if (!view_woken_) return WakeViewLocked();
  return {};
}

UiDispatcher::Wakeup UiDispatcher::WakeViewLocked() {
  if (!work_pending_hook_) return {};
  view_woken_ = true;
  return {.ui_thread = false, .hook = work_pending_hook_};
}

void UiDispatcher::WakeUp(const Wakeup& wakeup) {
  if (wakeup.ui_thread) ui_wakeup_.notify_one();
  if (wakeup.hook) (*wakeup.hook)();
}

bool UiDispatcher::RunNextLocked(std::unique_lock<std::mutex>& lock, bool sends_only) {
  if (!sends_.empty()) {
    std::shared_ptr<Send> send = std::move(sends_.front());
    sends_.pop_front();
    served_quick_send_ = send->quick;
    lock.unlock();
    try {
      (*send->fn)();
    } catch (...) {
      send->error = std::current_exception();
    }
    send->served.store(1, std::memory_order_release);
    send->served.notify_one();
    lock.lock();
    return true;
  }
  if (sends_only) return false;
  if (!posted_.empty()) {
    auto fn = std::move(posted_.front());
    posted_.pop_front();
    lock.unlock();
    fn();
    lock.lock();
    return true;
  }
  if (!inputs_.empty()) {
    Input input = std::move(inputs_.front());
    inputs_.pop_front();
    lock.unlock();
    inputs_in_progress_.push_back(input.ticket);
    input.fn();
    inputs_in_progress_.pop_back();
    input.ticket->Settle();
    lock.lock();
    return true;
  }
  return false;
}

UiDispatcher::Served UiDispatcher::ServeLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>* done,
                                               std::optional<std::chrono::steady_clock::time_point> slice_end) {
  for (;;) {
    bool ran = RunNextLocked(lock, /*sends_only=*/true);
    if (!ran) {
      if (done != nullptr && (*done)()) return Served::kDone;
      ran = RunNextLocked(lock, /*sends_only=*/false);
    }
    if (ran) {
      if (slice_end && std::chrono::steady_clock::now() >= *slice_end) return Served::kSliceEnded;
      continue;
    }
    // Nothing queued. After a quick sender's send, its next one is due within microseconds.
    if (!std::exchange(served_quick_send_, false)) return Served::kIdle;
    const std::uint64_t serial = queue_serial_.load(std::memory_order_relaxed);
    lock.unlock();
    SpinFor(kHandOverSpin, [&] { return queue_serial_.load(std::memory_order_relaxed) != serial; });
    lock.lock();
  }
}

void UiDispatcher::ServeUntil(const std::function<bool()>& done) {
  // The input whose handling opened this wait has been taken.
  for (auto& ticket : inputs_in_progress_) ticket->Settle();
  std::unique_lock lock(mutex_);
  if (ui_thread_ != std::this_thread::get_id()) {
    // Not the UI thread (there is none): nothing here may run queued work; only wait.
    ++bystanders_;
    bystander_wakeup_.wait(lock, done);
    --bystanders_;
    return;
  }
  while (ServeLocked(lock, &done, std::nullopt) != Served::kDone) {
    view_woken_ = false;
    ui_blocked_ = true;
    ui_wakeup_.wait(lock);
    ui_blocked_ = false;
  }
}

namespace {
// How long a view's loop may be kept serving before it handles its own events: well within one
// frame at 60 Hz.
constexpr std::chrono::milliseconds kViewServeSlice{8};
}  // namespace

bool UiDispatcher::ServeQueued(const std::function<bool()>& done) {
  for (auto& ticket : inputs_in_progress_) ticket->Settle();
  std::unique_lock lock(mutex_);
  if (ui_thread_ != std::this_thread::get_id()) return done();
  switch (ServeLocked(lock, &done, std::chrono::steady_clock::now() + kViewServeSlice)) {
    case Served::kDone:
      return true;
    case Served::kIdle:
      view_woken_ = false;
      return false;
    case Served::kSliceEnded: {
      const Wakeup wakeup = WakeViewLocked();
      lock.unlock();
      WakeUp(wakeup);
      return false;
    }
  }
  return false;
}

void UiDispatcher::ServePending() {
  std::unique_lock lock(mutex_);
  if (ui_thread_ != std::this_thread::get_id()) return;
  if (ServeLocked(lock, nullptr, std::chrono::steady_clock::now() + kViewServeSlice) == Served::kIdle) {
    view_woken_ = false;
    return;
  }
  const Wakeup wakeup = WakeViewLocked();
  lock.unlock();
  WakeUp(wakeup);
}

void UiDispatcher::Wake() {
  std::unique_lock lock(mutex_);
  queue_serial_.fetch_add(1, std::memory_order_relaxed);
  const bool ui_thread = std::exchange(ui_blocked_, false);
  const bool bystanders = bystanders_ > 0;
  lock.unlock();
  if (ui_thread) ui_wakeup_.notify_one();
  if (bystanders) bystander_wakeup_.notify_all();
}

void UiDispatcher::SetWorkPendingHook(std::function<void()> hook) {
  std::lock_guard lock(mutex_);
  work_pending_hook_ = hook ? std::make_shared<const std::function<void()>>(std::move(hook)) : nullptr;
  view_woken_ = false;
}

void RunOnUiThread(const std::function<void()>& fn) { UiDispatcher::Get().Call(fn); }

void PostToUiThread(std::function<void()> fn) { UiDispatcher::Get().Post(std::move(fn)); }

}  // namespace platform::dialog
