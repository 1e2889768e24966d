// rzstation: the station's desktop window.

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>

#include <functional>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/window_options.h"
#include "outside_end_watch.h"
#include "posix/termination_signals.h"
#include "qt_station_ui.h"
#include "russian_translation.h"
#include "session/exit_status.h"
#include "session/station_session.h"
#include "sound/sound_device.h"
#include "station_dlg.h"
#include "system_backends.h"

namespace {

using rz::kExitFailed;
using rz::kExitOk;
using rz::kExitUsage;

constexpr const char* kUsage =
    "Usage: rzstation [--workdir DIR] [--com1 PATH] [--com2 PATH] [--local-address IPV4]\n"
    "                 [--record FILE [--station NAME] [--operator NAME] [--serial SN]]\n"
    "                 [--profile FILE] [--history DIR [--forward DIR] | --no-history]\n"
    "       rzstation --help\n"
    "\n"
    "Opens the RZ-controller test station window.\n"
    "\n"
    "Before starting:\n"
    "  - The working directory must hold the board's test program\n"
    "    tst7312v26.bin. The results log vesk_rz.log is written there\n"
    "    when you leave the station with the exit button.\n"
    "  - Connect the board's serial cable to the port named COM1 (opened\n"
    "    at start) or COM2 (choose it in the port list of the window).\n"
    "\n"
    "Options:\n"
    "  --workdir DIR   directory of tst7312v26.bin and vesk_rz.log\n"
    "                  (default: the current directory)\n"
    "  --com1 PATH     serial device used as COM1 (default: /dev/ttyS0)\n"
    "  --com2 PATH     serial device used as COM2 (default: /dev/ttyS1)\n"
    "                  A USB adapter is usually /dev/ttyUSB0; the user needs\n"
    "                  access to it (on Debian: membership of group dialout).\n"
    "  --local-address IPV4\n"
    "                  the station's own address for work through Ethernet\n"
    "                  (UDP port 13330); default: the first IPv4 address of\n"
    "                  the computer's name, never a loopback one. A loopback\n"
    "                  address is allowed here (a board simulated on this\n"
    "                  machine); with several network cards name the one\n"
    "                  that reaches the board.\n"
    "  --record FILE   keep a record of the run in FILE (JSON): per board (from\n"
    "                  one download or change of port to the next) its identity\n"
    "                  and every operation's outcome, duration and journal\n"
    "                  lines; rewritten after every operation\n"
    "  --station NAME  the station's name in the record (default: the computer's)\n"
    "  --operator NAME the operator's name in the record\n"
    "  --serial SN     the serial number of the first board in the record\n"
    "  --profile FILE  production: every download that succeeds runs the rest of\n"
    "                  the profile's sequence (JSON) by itself, asking for the\n"
    "                  board's serial number first when the profile says so, and\n"
    "                  ends with the board's verdict (ГОДЕН, БРАК, НЕ ЗАВЕРШЕНО)\n"
    "                  in the journal and on the status line; ESC stops it\n"
    "  --history DIR   keep every board's units in DIR (default: rzstation/history\n"
    "                  in $XDG_DATA_HOME, else in ~/.local/share): one JSON file\n"
    "                  per board and an index; a readout shows the board's past\n"
    "  --no-history    keep no history\n"
    "  --forward DIR   also forward each finished unit's file to the shared folder\n"
    "                  DIR; while it cannot be reached the files wait in the\n"
    "                  history's spool and the status line says how many\n"
    "  --help          show this text and exit\n"
    "\n"
    "Examples:\n"
    "  rzstation --workdir ~/rz --com1 /dev/ttyUSB0\n"
    "  rzstation --com1 /dev/pts/5          (a simulated board)\n"
    "\n"
    "The exit button, SIGTERM, SIGHUP, Ctrl-C, a close from the window manager,\n"
    "the window destroyed by another program and a lost display all end the run\n"
    "the same way: the running operation is stopped (ESC) and the results log\n"
    "is written. An operation that does not stop within 5 seconds is left\n"
    "behind (exit status 1).\n"
    "\n"
    "Exit status: 0 after the exit button; 1 when an operation had to be left\n"
    "behind or the record could not be written at the end; 2 for a wrong\n"
    "command line, or when tst7312v26.bin cannot be opened or the record\n"
    "cannot be written at the start.\n";

bool IsHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  // --help must work without a display, so it is answered before Qt starts.
  for (int i = 1; i < argc; ++i) {
    if (IsHelp(argv[i])) {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
  }

  // From here on SIGTERM, SIGHUP and Ctrl-C end the run as the exit button does.
  const int signalFd = rz::InstallTerminationSignalPipe();
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  rz::gui::InstallRussianTranslation(app);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/rzstation/rzstation.svg")));
  QGuiApplication::setDesktopFileName(QStringLiteral("rzstation"));
  rz::WindowOptions options;
  if (std::string mistake; !rz::ParseWindowOptions(std::vector<std::string>(argv + 1, argv + argc), options, mistake)) {
    std::fprintf(stderr, "rzstation: %s\n\n%s", mistake.c_str(), kUsage);
    return kExitUsage;
  }
  if (options.workDir.empty()) options.workDir = QDir::currentPath().toStdString();

  rz::gui::QtStationUi ui;
  const std::unique_ptr<rz::SoundSink> sound = rz::MakeSoundDevice();
  const std::unique_ptr<rz::SerialBackend> serial = rz::MakeSerialBackend();
  const std::unique_ptr<rz::DatagramBackend> datagrams = rz::MakeDatagramBackend();
  rz::StationSession session(ui, {*serial, datagrams.get(), *sound},
                             {.program = "rzstation",
                              .workDir = options.workDir,
                              .portPaths = options.portPaths,
                              .localAddress = options.localAddress,
                              .record = {options.recordPath, {}},
                              .labels = {options.station, options.operatorName},
                              .serial = options.serial,
                              .profilePath = options.profilePath,
                              .autoSequence = true,
                              .history = !options.noHistory,
                              .historyDir = options.historyDir,
                              .forwardDir = options.forwardDir});
  rz::Station& station = session.GetStation();
  // Ends the run once; false when the record could not be written.
  const auto endRun = [&session](const std::function<void()>& serve) {
    std::string error;
    if (session.End(false, serve, error)) return true;
    std::fprintf(stderr, "rzstation: %s\n", error.c_str());
    return false;
  };

  int status = kExitOk;
  {
    rz::gui::CStationDlg window(station, ui);
    rz::gui::OutsideEndWatch outsideEnd(window, signalFd);
    if (!options.forwardDir.empty()) window.WatchStatusRemark([&session] { return session.ForwardRemark(); });
    if (std::string error; !session.Start(error)) {
      if (!error.empty()) {
        std::fprintf(stderr, "rzstation: %s\n", error.c_str());
        QMessageBox::critical(nullptr, QStringLiteral("rzstation"), QString::fromStdString(error));
      }
      return kExitUsage;
    }
    outsideEnd.EndAlsoAtProcessExit(station, ui, [&endRun] { endRun({}); });
    // Shown as an ordinary top-level window rather than run modally: a modal
    // window with no owner is made transient for an invisible one, and window
    // managers then neither list it in the task bar nor minimise it.
    // (A termination signal during a start-up message has ended the run already.)
    if (!window.Ending()) {
      QObject::connect(&window, &QDialog::finished, &app, &QApplication::quit);
      window.show();
      QApplication::exec();
    }

    // The exit button is disabled while an operation runs, but should one still
    // be running, stop it and keep serving its window calls until it has ended.
    if (!endRun([] { QApplication::processEvents(QEventLoop::AllEvents, 20); })) status = kExitFailed;
  }
  return status;
}
