#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/operation_runner.h"
#include "app/file_uses.h"
#include "app/port_paths.h"
#include "app/results_log.h"
#include "app/test_program_file.h"
#include "boardtests/external_com_params.h"
#include "context/station_context.h"
#include "link/serial_device.h"
#include "operations/operation_observer.h"

namespace rz {

inline constexpr const char* kTestProgramFileName = "tst7312v26.bin";

struct OperationRow;

// The station: the operations' context, plus what only the station's own
// operations and the operation table use: the serial backend and the paths of
// COM1 and COM2, the test-program file, the working directory, the one
// operation runner, the external channel test's state and the observer of
// operations.
class Station : public StationContext {
 public:
  Station(StationUi& ui, SoundSink& sound, SerialBackend& serialBackend)
      : StationContext(ui, sound), serialBackend_(serialBackend) {}
  // Waits for a running operation before the resources go away.
  ~Station() override { runner.Wait(); }

  SerialBackend& Serial() { return serialBackend_; }

  PortPaths portPaths;
  TestProgramFile testProgram;
  // Directory of the test-program file and the results log, ending in '/'.
  std::string workDir = "./";
  // The files the run holds for its whole length (the test program, the
  // results log, the record): a transfer's file may not be one of them.
  std::vector<FileUse> runFiles;
  OperationRunner runner;
  // The external channel test's parameters and the board's last replies to it.
  ExtComState extCom;
  // Told of every operation's start and end (a run record), or nullptr. Set
  // before the first operation starts and kept until the last one has ended.
  OperationObserver* observer = nullptr;
  // The row StartOperation is starting, handed to StartWorker (which tells the
  // observer of its end); nullptr otherwise. Used on the control's thread only.
  const OperationRow* startingRow = nullptr;
  // A production sequence runs: only its thread may start operations.
  std::atomic<bool> sequenceActive{false};
  std::atomic<std::thread::id> sequenceThread{};

 private:
  SerialBackend& serialBackend_;
};

}  // namespace rz
