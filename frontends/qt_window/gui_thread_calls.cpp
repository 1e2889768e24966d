#include "gui_thread_calls.h"

#include <QSocketNotifier>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace rz::gui {

GuiThreadCalls::GuiThreadCalls(QObject* parent) : QObject(parent) {
  std::array<int, 2> fds{};
  if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    // Without the pipe no worker could ever reach the window.
    std::perror("rzstation: pipe2");
    std::abort();
  }
  wakeRead_ = fds[0];
  wakeWrite_ = fds[1];
  notifier_ = new QSocketNotifier(wakeRead_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &GuiThreadCalls::RunPending);
}

GuiThreadCalls::~GuiThreadCalls() {
  delete notifier_;
  ::close(wakeRead_);
  ::close(wakeWrite_);
}

void GuiThreadCalls::Run(const std::function<void()>& apply) {
  if (QThread::currentThread() == thread()) {
    apply();
    return;
  }
  Call call{&apply};
  std::unique_lock lock(mutex_);
  if (abandoned_) return;
  pending_.push_back(&call);
  const char wake = 1;
  // A full pipe already holds a wake-up: nothing is lost when this write fails.
  while (::write(wakeWrite_, &wake, 1) < 0 && errno == EINTR) {
  }
  applied_.wait(lock, [&call] { return call.done; });
}

void GuiThreadCalls::Abandon() {
  {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    for (Call* call : pending_) call->done = true;
    pending_.clear();
  }
  applied_.notify_all();
}

void GuiThreadCalls::RunPending() {
  std::array<char, 64> drain{};
  while (::read(wakeRead_, drain.data(), drain.size()) > 0) {
  }
  // One call at a time: a call may open a message box whose event loop comes
  // back here for the next one.
  for (;;) {
    Call* call = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (pending_.empty()) return;
      call = pending_.front();
      pending_.pop_front();
    }
    (*call->apply)();
    {
      std::lock_guard lock(mutex_);
      call->done = true;
    }
    applied_.notify_all();
  }
}

}  // namespace rz::gui
