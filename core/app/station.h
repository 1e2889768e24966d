#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/host_system.h"
#include "app/operation_observer.h"
#include "app/operation_runner.h"
#include "app/result_sink.h"
#include "app/sound.h"
#include "app/station_flags.h"
#include "app/station_ui.h"
#include "app/test_program_file.h"
#include "boardtests/external_com_params.h"
#include "link/serial_channel.h"
#include "link/udp_channel.h"

namespace rz {

inline constexpr const char* kTestProgramFileName = "tst7312v26.bin";
inline constexpr const char* kResultsLogFileName = "vesk_rz.log";

// Everything an operation works with: the window operations, the sound, the
// shared flags and the process-wide resources (test-program file, port).
class Station {
 public:
  Station(StationUi& ui, SoundSink& sound, SerialBackend& serialBackend)
      : ui_(ui), sound_(sound), serialBackend_(serialBackend) {}
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;
  // Waits for a running operation before the resources go away.
  ~Station() { runner.Wait(); }

  StationUi& Ui() { return ui_; }
  SoundSink& Sound() { return sound_; }
  SerialBackend& Serial() { return serialBackend_; }
  // Files and local time; the platform's own unless a test hands in another.
  HostSystem& System() { return *system_; }
  void UseHostSystem(HostSystem& system) { system_ = &system; }

  // The one open serial port, or nullptr.
  PortHandle Port() { return port.get(); }
  // Makes `device` the open port (nullptr: none), closing the previous one.
  void SetPort(std::unique_ptr<SerialDevice> device) {
    port = std::move(device);
    flags.portOpen.store(port != nullptr);
  }

  // Sleeps on the calling worker thread (replaceable so tests need not wait).
  void Sleep(std::chrono::milliseconds duration) { sleeper(duration); }

  StationFlags flags;
  PortPaths portPaths;
  std::unique_ptr<SerialDevice> port;
  UdpChannel udp;
  TestProgramFile testProgram;
  // Directory of the test-program file and the results log, ending in '/'.
  std::string workDir = "./";
  // Bytes the SDRAM test covers: set from the board's configuration word, kept
  // for the run when the word is one the test does not know.
  std::uint32_t sdramTestSize = 0;
  OperationRunner runner;
  // The external channel test's parameters and the board's last replies to it.
  ExtComState extCom;
  std::function<void(std::chrono::milliseconds)> sleeper = [](std::chrono::milliseconds d) {
    std::this_thread::sleep_for(d);
  };
  // Told of every operation's start and end (a run record), or nullptr. Set
  // before the first operation starts and kept until the last one has ended.
  OperationObserver* observer = nullptr;
  // Told of the operations' results as values (the board's identity), or
  // nullptr; set and kept as `observer` is.
  ResultSink* results = nullptr;
  // The file of the transfer that runs (written to or read from Flash); set by
  // the transfer's handler, cleared when the next operation starts.
  std::string transferFile;
  // What became of that file when the transfer did not complete (where its
  // bytes were kept, why a write failed), or "".
  std::string transferNote;
  // The row StartOperation is starting, handed to StartWorker (which tells the
  // observer of its end); nullptr otherwise. Used on the control's thread only.
  const OperationRow* startingRow = nullptr;

 private:
  StationUi& ui_;
  SoundSink& sound_;
  SerialBackend& serialBackend_;
  HostSystem* system_ = &PlatformHostSystem();
};

}  // namespace rz
