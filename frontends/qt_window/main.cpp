// rzstation: the station's desktop window.

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "operations/station.h"
#include "app/window_options.h"
#include "outside_end_watch.h"
#include "posix/serial_posix.h"
#include "posix/termination_signals.h"
#include "posix/udp_posix.h"
#include "qt_station_ui.h"
#include "record/run_record.h"
#include "russian_translation.h"
#include "sound/sound_device.h"
#include "station_dlg.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitStartFailed = 2;

constexpr const char* kUsage =
    "Usage: rzstation [--workdir DIR] [--com1 PATH] [--com2 PATH] [--local-address IPV4]\n"
    "                 [--record FILE]\n"
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
    "  --record FILE   keep a record of the run in FILE (JSON): every operation's\n"
    "                  outcome, duration and journal lines, the board's\n"
    "                  identity; rewritten after every operation\n"
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
    "Exit status: 0 after the exit button, 1 for a wrong command line,\n"
    "2 when tst7312v26.bin cannot be opened or the record cannot be written.\n";

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
  rz::PosixSerialBackend serial;
  rz::PosixDatagramBackend datagrams;
  rz::Station station(ui, *sound, serial);
  station.udp.backend = &datagrams;
  if (options.localAddress) station.udp.localAddress = options.localAddress;
  station.portPaths = options.portPaths;

  rz::RunRecord record(station, "rzstation");
  if (!options.recordPath.empty()) {
    std::string error;
    if (!record.Open({options.recordPath, {}}, error)) {
      std::fprintf(stderr, "rzstation: %s\n", error.c_str());
      QMessageBox::critical(nullptr, QStringLiteral("rzstation"), QString::fromStdString(error));
      return kExitStartFailed;
    }
    station.observer = &record;
    station.results = &record;
  }

  {
    rz::gui::CStationDlg window(station, ui);
    rz::gui::OutsideEndWatch outsideEnd(window, signalFd);
    if (!rz::StartStation(station, options.workDir)) return kExitStartFailed;
    outsideEnd.EndAlsoAtProcessExit(station, ui, [&station, &record] {
      std::string error;
      if (station.observer != nullptr && !record.Finish(error)) std::fprintf(stderr, "rzstation: %s\n", error.c_str());
      rz::StopStation(station);
    });
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
    if (station.runner.Busy()) {
      station.flags.RequestAbort();
      while (!station.runner.WaitFor(std::chrono::milliseconds(20))) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
      }
    }
  }
  if (station.observer != nullptr) {
    std::string error;
    if (!record.Finish(error)) std::fprintf(stderr, "rzstation: %s\n", error.c_str());
  }
  rz::StopStation(station);
  return kExitOk;
}
