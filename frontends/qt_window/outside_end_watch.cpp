#include "outside_end_watch.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <xcb/xcb.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/results_log.h"
#include "operations/station.h"
#include "qt_station_ui.h"
#include "session/run_end.h"
#include "session/startup.h"
#include "station_dlg.h"

namespace rz::gui {
namespace {

// How often the end at process exit looks whether the operation has stopped.
constexpr std::chrono::milliseconds kExitPoll{20};
// Exit status of a process that had to leave a running operation behind.
constexpr int kExitOperationLeftBehind = 1;

struct ProcessExitEnd {
  rz::Station* station;
  QtStationUi* ui;
  std::function<void()> finish;
};

// The armed end at process exit, or nullptr. Touched on the GUI thread only.
ProcessExitEnd* gExitEnd = nullptr;

void PrintMessageBox(const rz::MessageBox& box, QWidget*) {
  std::fprintf(stderr, "rzstation: %s: %s%s%s\n", box.caption.c_str(), box.text.c_str(),
               box.details.empty() ? "" : " - ", box.details.c_str());
}

void EndAtProcessExit() {
  ProcessExitEnd* end = gExitEnd;
  if (end == nullptr) return;
  gExitEnd = nullptr;
  // No event loop runs any more: nothing may wait for it.
  end->ui->SetMessagePresenter(PrintMessageBox);
  end->ui->AbandonWorkerCalls();
  rz::RunEnd runEnd(*end->station, rz::RunEnd::Clock::now());
  rz::RunEnd::Step step;
  while ((step = runEnd.Poll(rz::RunEnd::Clock::now())) == rz::RunEnd::Step::Waiting) {
    end->station->runner.WaitFor(kExitPoll);
  }
  rz::WriteResultsLog(*end->station);
  // The operation's thread still uses the port: leave both to the process end.
  if (step == rz::RunEnd::Step::GaveUp) std::_Exit(kExitOperationLeftBehind);
  if (end->finish) end->finish();
}

}  // namespace

OutsideEndWatch::OutsideEndWatch(CStationDlg& window, int signalFd) : window_(window), signalFd_(signalFd) {
  if (signalFd_ >= 0) {
    notifier_ = new QSocketNotifier(signalFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &OutsideEndWatch::OnSignal);
  }
  QCoreApplication::instance()->installNativeEventFilter(this);
}

OutsideEndWatch::~OutsideEndWatch() {
  QCoreApplication::instance()->removeNativeEventFilter(this);
  if (gExitEnd != nullptr) {
    delete gExitEnd;
    gExitEnd = nullptr;
  }
}

void OutsideEndWatch::OnSignal() {
  std::array<char, 16> drain{};
  while (::read(signalFd_, drain.data(), drain.size()) > 0) {
  }
  window_.EndRun();
}

bool OutsideEndWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & ~0x80) != XCB_DESTROY_NOTIFY) return false;
  const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
  // Qt destroys the windows of hidden or deleted widgets only: a visible one
  // whose window is gone was taken by someone else.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->internalWinId() == destroyed->window) {
      window_.EndRun();
      break;
    }
  }
  return false;
}

void OutsideEndWatch::EndAlsoAtProcessExit(rz::Station& station, QtStationUi& ui, std::function<void()> finish) {
  static const bool registered = std::atexit(EndAtProcessExit) == 0;
  if (!registered) return;
  delete gExitEnd;
  gExitEnd = new ProcessExitEnd{&station, &ui, std::move(finish)};
}

}  // namespace rz::gui
