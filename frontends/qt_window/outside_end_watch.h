#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace rz {
class Station;
}

namespace rz::gui {

class CStationDlg;
class QtStationUi;

// Ends the run when something outside the window asks for it, as the exit
// button would (CStationDlg::EndRun):
// - a termination signal, announced by a byte on `signalFd` (see
//   InstallTerminationSignalPipe; -1 watches no signals);
// - one of the application's visible windows destroyed by another program
//   (`xdotool windowclose`, a session manager), seen as the X server's
//   DestroyNotify for it.
// Create it on the GUI thread after the window.
class OutsideEndWatch final : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  OutsideEndWatch(CStationDlg& window, int signalFd);
  ~OutsideEndWatch() override;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  // Qt ends the process with exit() when its connection to the X server
  // breaks, from inside the event loop. From now until this watch goes, such
  // an exit still stops the running operation (without the event loop: the
  // worker's window calls return at once), writes the results log and then
  // calls `finish` (closing the run record, the port); messages go to stderr.
  void EndAlsoAtProcessExit(rz::Station& station, QtStationUi& ui, std::function<void()> finish);

 private:
  void OnSignal();

  CStationDlg& window_;
  int signalFd_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace rz::gui
