#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace rz::gui {

// Runs functions on the thread that created this object (the GUI thread) for
// callers on other threads, and returns to each caller once its function has
// run there.
//
// The hand-over uses only standard mutexes, a condition variable and a pipe
// that wakes the GUI thread's event loop, so no object made on the worker is
// freed on the GUI thread or the reverse, and every step is visible to the
// thread sanitizer (which cannot see inside the prebuilt Qt libraries).
class GuiThreadCalls final : public QObject {
  Q_OBJECT

 public:
  explicit GuiThreadCalls(QObject* parent = nullptr);
  ~GuiThreadCalls() override;

  // Runs `apply` on the GUI thread: directly when called there, otherwise
  // handed over, returning after it has run.
  void Run(const std::function<void()>& apply);

  // For a GUI thread that will not come back to its event loop (the process
  // is ending): the calls waiting now, and any later call from another
  // thread, return at once without running. Calls on the GUI thread still run.
  void Abandon();

 private:
  struct Call {
    const std::function<void()>* apply;
    bool done = false;
  };

  // GUI thread: runs the calls waiting in the queue.
  void RunPending();

  std::mutex mutex_;
  std::condition_variable applied_;
  std::deque<Call*> pending_;
  bool abandoned_ = false;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace rz::gui
