#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "operations/station.h"
#include "recording_ui.h"
#include "scripted_serial.h"
#include "session/startup.h"
#include "temp_dir.h"

namespace rz::testing {

// Waits for the running operation to end, at most `limit`. An operation still
// running then is a failure naming `what`; ESC is pressed until it ends (and
// the test program aborts if even that does not end it), so that a regression
// fails within seconds instead of hanging the suite.
inline Outcome AwaitOutcome(Station& station, const std::string& what,
                            std::chrono::milliseconds limit = std::chrono::seconds(8)) {
  if (!station.runner.WaitFor(limit)) {
    ADD_FAILURE() << what << ": still running after " << limit.count() << " ms";
    for (int i = 0; i < 50 && !station.runner.WaitFor(std::chrono::milliseconds(100)); ++i) {
      station.flags.RequestAbort();
    }
    if (station.runner.Busy()) {
      std::fprintf(stderr, "%s: ESC does not end it either\n", what.c_str());
      std::abort();
    }
  }
  return station.runner.Wait().value_or(Outcome::Failed);
}

// Presses ESC every `period` until the running operation ends, for at most `limit`.
inline Outcome PressEscUntilDone(Station& station, std::chrono::milliseconds period = std::chrono::milliseconds(120),
                                 std::chrono::milliseconds limit = std::chrono::seconds(8)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!station.runner.WaitFor(period) && std::chrono::steady_clock::now() < end) station.flags.RequestAbort();
  return AwaitOutcome(station, "an operation pressed with ESC", std::chrono::milliseconds(0));
}

// A test program of `size` bytes with a recognisable pattern.
inline std::vector<std::uint8_t> TestProgramBytes(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);
  return bytes;
}

// A started station on a scripted COM1, with a recording window and sound.
// Sleeps are recorded, not slept.
class ScriptedStation : public ::testing::Test {
 protected:
  void StartWithProgram(std::size_t programSize) {
    dir.Write(kTestProgramFileName, TestProgramBytes(programSize));
    port = backend.Add("COM1-device");
    station.portPaths.com1 = "COM1-device";
    station.portPaths.com2 = "COM2-device";
    station.sleeper = [this](std::chrono::milliseconds d) { sleeps.push_back(d); };
    ASSERT_TRUE(StartStation(station, dir.Path()));
    ui.portIndex = station.Port() ? kPortEntryCom1 : kPortEntryNone;
  }

  // Runs an operation on the calling thread, as its worker would.
  template <typename Operation>
  Outcome Run(Operation operation) {
    return operation(station);
  }

  TempDir dir;
  RecordingUi ui;
  RecordingSound sound;
  ScriptedSerialBackend backend;
  std::shared_ptr<PortScript> port;
  Station station{ui, sound, backend};
  std::vector<std::chrono::milliseconds> sleeps;
};

}  // namespace rz::testing
