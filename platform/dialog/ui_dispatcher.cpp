#include "platform/dialog/ui_dispatcher.h"

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
    // Input for a user interface that has gone is dropped; whoever waits for it is released.
    for (Input& input : d.inputs_) input.ticket->Settle();
    d.inputs_.clear();
  }
  --d.scope_depth_;
}

void UiDispatcher::Call(const std::function<void()>& fn) {
  std::unique_lock lock(mutex_);
  if (!ui_thread_ || ui_thread_ == std::this_thread::get_id()) {
    lock.unlock();
    fn();
    return;
  }
  auto send = std::make_shared<Send>();
  send->fn = fn;
  sends_.push_back(send);
  sends_queued_.fetch_add(1, std::memory_order_relaxed);
  NotifyQueuedLocked();
  changed_.wait(lock, [&] { return send->done; });
  if (send->error) std::rethrow_exception(send->error);
}

void UiDispatcher::Post(std::function<void()> fn) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(fn));
  NotifyQueuedLocked();
}

std::shared_ptr<InputTicket> UiDispatcher::PostInput(std::function<void()> fn) {
  auto ticket = std::make_shared<InputTicket>();
  std::lock_guard lock(mutex_);
  inputs_.push_back({std::move(fn), ticket});
  NotifyQueuedLocked();
  return ticket;
}

void UiDispatcher::NotifyQueuedLocked() {
  changed_.notify_all();
  if (work_pending_hook_) work_pending_hook_();
}

bool UiDispatcher::RunNextLocked(std::unique_lock<std::mutex>& lock, bool sends_only) {
  if (!sends_.empty()) {
    auto send = sends_.front();
    sends_.pop_front();
    lock.unlock();
    try {
      send->fn();
    } catch (...) {
      send->error = std::current_exception();
    }
    lock.lock();
    send->done = true;
    changed_.notify_all();
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

void UiDispatcher::ServeUntil(const std::function<bool()>& done) {
  // The input whose handling opened this wait has been taken.
  for (auto& ticket : inputs_in_progress_) ticket->Settle();
  std::unique_lock lock(mutex_);
  if (ui_thread_ != std::this_thread::get_id()) {
    // Not the UI thread (there is none): nothing here may run queued work; only wait.
    changed_.wait(lock, done);
    return;
  }
  for (;;) {
    if (RunNextLocked(lock, /*sends_only=*/true)) continue;
    if (done()) return;
    if (RunNextLocked(lock, /*sends_only=*/false)) continue;
    changed_.wait(lock);
  }
}

void UiDispatcher::ServePending() {
  std::unique_lock lock(mutex_);
  if (ui_thread_ != std::this_thread::get_id()) return;
  while (RunNextLocked(lock, /*sends_only=*/false)) {
  }
}

void UiDispatcher::Wake() {
  std::lock_guard lock(mutex_);
  changed_.notify_all();
}

void UiDispatcher::SetWorkPendingHook(std::function<void()> hook) {
  std::lock_guard lock(mutex_);
  work_pending_hook_ = std::move(hook);
}

void RunOnUiThread(const std::function<void()>& fn) { UiDispatcher::Get().Call(fn); }

void PostToUiThread(std::function<void()> fn) { UiDispatcher::Get().Post(std::move(fn)); }

}  // namespace platform::dialog
