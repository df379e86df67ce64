#pragma once
// The UI thread and its queues. One thread at a time owns the user interface: the thread that
// runs AfxWinMain or the outermost modal dialog. Three kinds of work reach it:
//   - sends: a call made on another thread (SendMessage, a control change, a message box) is
//     queued and the caller waits until the UI thread has carried it out;
//   - posted work: queued without waiting (PostMessage, PostToUiThread);
//   - user input from a view or the test driver (clicks, tab changes, keys, drops).
// Every wait of the UI thread (a modal dialog's loop, a message box, a file dialog, a view's own
// nested loop through Pump) serves sends first, then posted work and input, so a worker never
// stalls while a box is open, and a wait ends only once the sends pending at its end are served.
// When no thread owns the user interface, a send runs at once on the calling thread.
//
// Cost: a send wakes only the UI thread, and only when it is blocked; its caller waits on a signal
// of its own. A thread that sends again within microseconds of its last send (a worker updating a
// progress bar between two camera requests) spins for the answer, and the UI thread that served
// such a send spins for the next one, so the two hand over without sleeping (see spin_wait.h).
// Nobody spins for work that comes seldom.
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
  // The wait returns only when no send is pending. Entering a wait settles the input being
  // handled.
  void ServeUntil(const std::function<bool()>& done);
  // UI thread, for a view's own event loop: serves queued work, sends first, until done() holds
  // (true: no send is pending, the loop may end) or nothing is queued (false: the loop may block
  // on its own events; the work-pending hook wakes it for new work). After a few milliseconds of
  // serving it returns false too, so that the loop handles its own events (painting) in between;
  // the hook has then been called for the work left. done() as for ServeUntil.
  bool ServeQueued(const std::function<bool()>& done);
  // UI thread: carry out what is queued now, without waiting; bounded in time as ServeQueued.
  void ServePending();
  // Any thread: re-evaluate the conditions of waits in progress.
  void Wake();

  // Sends from other threads queued so far: figures for benchmarks, and a way for a test to know
  // that a send is waiting.
  std::uint64_t SendsQueued() const { return sends_queued_.load(std::memory_order_relaxed); }

  // Called on the queuing thread, outside the dispatcher's lock, when work is queued while the UI
  // thread is neither blocked in ServeUntil nor already woken since it last found the queues
  // empty: a view with its own event loop wakes that loop here. Null clears.
  void SetWorkPendingHook(std::function<void()> hook);

 private:
  // One send: the caller waits on `served`, which only the UI thread sets, so serving it wakes
  // that caller and nobody else.
  struct Send {
    const std::function<void()>* fn;  // the caller's, alive while it waits
    bool quick = false;               // the caller sent its last send moments ago: more will follow
    std::exception_ptr error;
    std::atomic<std::uint32_t> served{0};
  };
  struct Input {
    std::function<void()> fn;
    std::shared_ptr<InputTicket> ticket;
  };
  // What a queuing thread must do once it has released the lock.
  struct Wakeup {
    bool ui_thread = false;
    std::shared_ptr<const std::function<void()>> hook;
  };

  enum class Served { kDone, kIdle, kSliceEnded };

  // UI thread, lock held: serves queued work, sends first, until done() holds (when given), nothing
  // is queued even after a short spin, or the time slice has ended.
  Served ServeLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>* done,
                     std::optional<std::chrono::steady_clock::time_point> slice_end);
  // Takes the next item (sends first); returns false when the queues are empty.
  bool RunNextLocked(std::unique_lock<std::mutex>& lock, bool sends_only);
  // The wakeup that work queued now needs; WakeUp carries it out after the lock is released.
  Wakeup WakeupForQueuedLocked();
  Wakeup WakeViewLocked();
  void WakeUp(const Wakeup& wakeup);
  static void WaitServed(const Send& send);

  mutable std::mutex mutex_;
  std::optional<std::thread::id> ui_thread_;
  int scope_depth_ = 0;
  std::deque<std::shared_ptr<Send>> sends_;
  std::deque<std::function<void()>> posted_;
  std::deque<Input> inputs_;
  std::vector<std::shared_ptr<InputTicket>> inputs_in_progress_;  // UI thread only

  // The UI thread blocked in ServeUntil waits on ui_wakeup_; a thread that waits in ServeUntil
  // without owning the user interface waits on bystander_wakeup_.
  std::condition_variable ui_wakeup_;
  bool ui_blocked_ = false;
  std::condition_variable bystander_wakeup_;
  int bystanders_ = 0;
  // The hook has fired and the UI thread has not found the queues empty since.
  bool view_woken_ = false;
  std::shared_ptr<const std::function<void()>> work_pending_hook_;
  // Changes whenever work is queued or Wake() is called: what a spinning UI thread watches.
  std::atomic<std::uint64_t> queue_serial_{0};
  bool served_quick_send_ = false;  // UI thread only: the last send served was a quick one

  std::atomic<std::uint64_t> sends_queued_{0};
};

// Runs fn on the UI thread (see UiDispatcher::Call).
void RunOnUiThread(const std::function<void()>& fn);
// Queues fn for the UI thread without waiting: e.g. a worker telling the dialog it has ended.
void PostToUiThread(std::function<void()> fn);

}  // namespace platform::dialog
