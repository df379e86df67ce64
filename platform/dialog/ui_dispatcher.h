#pragma once
// The UI thread and its queues. One thread at a time owns the user interface: the thread that
// runs AfxWinMain or the outermost modal dialog. Three kinds of work reach it:
//   - sends: a call made on another thread (SendMessage, a control change, a message box) is
//     queued and the caller waits until the UI thread has carried it out;
//   - posted work: queued without waiting (PostMessage, PostToUiThread);
//   - user input from a view or the test driver (clicks, tab changes, keys, drops).
// Every wait of the UI thread (a modal dialog's loop, a message box, a file dialog, a view's own
// nested loop through Pump) serves sends first, then posted work and input, so a worker never
// stalls while a box is open. When no thread owns the user interface, a send runs at once on the
// calling thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace platform::dialog {

// Completion of one piece of user input. It settles when its handling has returned, or earlier
// when the handling opened a modal box or dialog (the input is then "taken": what follows is the
// box's business). Dropped input (a disabled or hidden target) settles at once.
class InputTicket {
 public:
  bool WaitSettled(std::chrono::milliseconds timeout);
  bool settled() const;
  void Settle();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool settled_ = false;
};

class UiDispatcher {
 public:
  static UiDispatcher& Get();

  // True on the thread that owns the user interface.
  bool OnUiThread() const;
  bool HasUiThread() const;

  // Makes the calling thread the UI thread while a scope lives (nested scopes on the same thread
  // count). Before the last scope ends, pending sends are carried out.
  class Scope {
   public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool owns() const { return owns_; }

   private:
    bool owns_ = false;
  };

  // Runs fn on the UI thread and waits for it; runs it at once when called on the UI thread or
  // when there is none. An exception thrown by fn reaches the caller.
  void Call(const std::function<void()>& fn);
  // Queues fn for the UI thread; it runs in whatever wait the UI thread is in next.
  void Post(std::function<void()> fn);
  // Queues user input; see InputTicket.
  std::shared_ptr<InputTicket> PostInput(std::function<void()> fn);

  // UI thread: serve queued work until done() holds. done() is evaluated with the dispatcher's
  // lock held: it must only read state, and whoever changes that state calls Wake() afterwards.
  // Entering a wait settles the input being handled.
  void ServeUntil(const std::function<bool()>& done);
  // UI thread: carry out what is queued now, without waiting.
  void ServePending();
  // Any thread: re-evaluate the conditions of waits in progress.
  void Wake();

  // Sends from other threads queued so far: figures for benchmarks, and a way for a test to know
  // that a send is waiting.
  std::uint64_t SendsQueued() const { return sends_queued_.load(std::memory_order_relaxed); }

  // Called (on any thread) whenever work is queued, so that a view with its own event loop can
  // wake it. Null clears.
  void SetWorkPendingHook(std::function<void()> hook);

 private:
  struct Send {
    std::function<void()> fn;
    bool done = false;
    std::exception_ptr error;
  };
  struct Input {
    std::function<void()> fn;
    std::shared_ptr<InputTicket> ticket;
  };

  // Takes the next item (sends first); returns false when the queues are empty.
  bool RunNextLocked(std::unique_lock<std::mutex>& lock, bool sends_only);
  void NotifyQueuedLocked();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::thread::id> ui_thread_;
  int scope_depth_ = 0;
  std::deque<std::shared_ptr<Send>> sends_;
  std::deque<std::function<void()>> posted_;
  std::deque<Input> inputs_;
  std::vector<std::shared_ptr<InputTicket>> inputs_in_progress_;  // UI thread only
  std::function<void()> work_pending_hook_;
  std::atomic<std::uint64_t> sends_queued_{0};
};

// Runs fn on the UI thread (see UiDispatcher::Call).
void RunOnUiThread(const std::function<void()>& fn);
// Queues fn for the UI thread without waiting: e.g. a worker telling the dialog it has ended.
void PostToUiThread(std::function<void()> fn);

}  // namespace platform::dialog
