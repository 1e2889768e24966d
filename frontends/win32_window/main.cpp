// rzstation.exe: the station's window on Windows.

#include "windows_api.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/window_options.h"
#include "session/exit_status.h"
#include "session/station_session.h"
#include "sound/sound_device.h"
#include "station_dlg.h"
#include "system_backends.h"
#include "win32/win32_command_line.h"
#include "win32/win32_text.h"
#include "win32_station_ui.h"

namespace {

using rz::kExitFailed;
using rz::kExitOk;
using rz::kExitUsage;

constexpr const char* kProgram = "rzstation";

constexpr const char* kUsage =
    "rzstation [--workdir DIR] [--com1 PORT] [--com2 PORT] [--local-address IPV4] [--record FILE]\n"
    "          [--station NAME] [--operator NAME] [--serial SN] [--profile FILE]\n"
    "          [--history DIR [--forward DIR] | --no-history]\n"
    "\n"
    "Opens the RZ-controller test station window.\n"
    "\n"
    "--workdir DIR: directory of tst7312v26.bin and vesk_rz.log (default: the current directory)\n"
    "--com1 PORT: the port used as COM1 (default: COM1), for example COM5 or \\\\.\\COM12\n"
    "--com2 PORT: the port used as COM2 (default: COM2)\n"
    "--local-address IPV4: the station's own address for work through Ethernet (UDP port 13330); "
    "default: the first IPv4 address of the computer's name\n"
    "--record FILE: keep a record of the run in FILE (JSON), rewritten after every operation\n"
    "--station NAME, --operator NAME, --serial SN: the station's name (default: the computer's), "
    "the operator and the first board's serial number in the record\n"
    "--profile FILE: production: every download that succeeds runs the rest of the profile's "
    "sequence by itself and ends with the board's verdict in the journal; ESC stops it\n"
    "--history DIR: keep every board's units in DIR (default: %LOCALAPPDATA%\\rzstation\\history), "
    "one JSON file per board and an index; a readout shows the board's past\n"
    "--no-history: keep no history\n"
    "--forward DIR: also forward each finished unit's file to the shared folder DIR (a mapped drive or "
    "a UNC path); while it cannot be reached the files wait in the history's spool and the status line "
    "says how many\n"
    "\n"
    "Exit status: 0 after the exit button; 1 when the record could not be written at the end; "
    "2 for a wrong command line, or when tst7312v26.bin cannot be opened, the record cannot be "
    "written at the start or the window cannot be created.";

// In the foreground: no window of the program is there to take the keys yet.
void ShowStartupMessage(const std::string& text, UINT icon) {
  ::MessageBoxW(nullptr, rz::win32::Wide(text).c_str(), rz::win32::Wide(kProgram).c_str(),
                MB_OK | MB_SETFOREGROUND | icon);
}

std::string CurrentDirectory() {
  const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(length, L'\0');
  const DWORD written = ::GetCurrentDirectoryW(length, dir.data());
  dir.resize(written);
  return rz::win32::Utf8(dir);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  if (!rz::win32::CommandLineArguments(args)) args.assign(argv + std::min(argc, 1), argv + argc);
  rz::WindowOptions options;
  options.portPaths = {"COM1", "COM2"};
  if (std::string mistake; !rz::ParseWindowOptions(args, options, mistake)) {
    ShowStartupMessage(mistake + "\n\n" + kUsage, MB_ICONERROR);
    return kExitUsage;
  }
  if (options.help) {
    ShowStartupMessage(kUsage, MB_ICONINFORMATION);
    return kExitOk;
  }
  if (options.workDir.empty()) options.workDir = CurrentDirectory();

  rz::win32::Win32StationUi ui;
  const std::unique_ptr<rz::SoundSink> sound = rz::MakeSoundDevice();
  const std::unique_ptr<rz::SerialBackend> serial = rz::MakeSerialBackend();
  const std::unique_ptr<rz::DatagramBackend> datagrams = rz::MakeDatagramBackend();
  rz::StationSession session(ui, {*serial, datagrams.get(), *sound},
                             {.program = kProgram,
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

  // Start-up reports its failures in message boxes without an owner.
  if (std::string error; !session.Start(error)) {
    if (!error.empty()) ShowStartupMessage(error, MB_ICONERROR);
    return kExitUsage;
  }
  int status = kExitOk;
  {
    rz::win32::CStationDlg window(session.GetStation(), ui);
    if (!options.forwardDir.empty()) window.WatchStatusRemark([&session] { return session.ForwardRemark(); });
    if (window.Create()) {
      window.RunUntilClosed();
    } else {
      ShowStartupMessage("Не удалось создать окно: " + rz::win32::LastErrorReason(), MB_ICONERROR);
      status = kExitUsage;
    }
    // The exit button is disabled while an operation runs, but should one
    // still be running, stop it and serve its window calls until it has ended.
    std::string error;
    const bool ended = session.End(false, [] {
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }, error);
    if (!ended) {
      ShowStartupMessage(error, MB_ICONERROR);
      if (status == kExitOk) status = kExitFailed;
    }
  }
  return status;
}
