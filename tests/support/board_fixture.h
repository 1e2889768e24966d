#pragma once

// The station on the platform's real serial port code, against the simulated
// board: the start-up every end-to-end test of the operations shares.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "loopback_udp.h"
#include "operations/station.h"
#include "platform_backends.h"
#include "recording_ui.h"
#include "session/startup.h"
#include "simulated_board.h"
#include "station_fixture.h"
#include "temp_dir.h"

namespace rz::testing {

// `Ui` is the window the station reports to: a recorder, or a real window.
template <typename Ui>
class BasicBoardStationTest : public ::testing::Test {
 protected:
  // What the station opens to reach a board on `com` ("COM1", "COM2").
  std::string BoardPort(const std::string& com) const { return BoardPortFor(dir.Path(), com); }

  // Starts the board on COM1 with rzboard-sim's `options`, writes a test
  // program of `programSize` bytes, points COM1 at the board (and COM2 at a
  // port with no board yet) and starts the station. Callers wrap it in
  // ASSERT_NO_FATAL_FAILURE.
  void StartBoardAndStation(std::vector<std::string> options = {}, std::size_t programSize = 2048) {
    board = std::make_unique<SimulatedBoard>(BoardPort("COM1"), std::move(options));
    dir.Write(kTestProgramFileName, TestProgramBytes(programSize));
    station.portPaths.com1 = BoardPort("COM1");
    station.portPaths.com2 = BoardPort("COM2");
    ASSERT_TRUE(StartStation(station, dir.Path()));
  }
  // As above, with the station's UDP on this test's loopback address.
  void StartBoardAndStationWithUdp(std::vector<std::string> options = {}) {
    station.udp.backend = &udp;
    station.udp.localAddress = pair.station;
    StartBoardAndStation(std::move(options));
  }

  TempDir dir;
  LoopbackPair pair = NextLoopbackPair();
  LoopbackOnlyBackend udp;
  Ui ui;
  RecordingSound sound;
  PlatformSerialBackend serial;
  std::unique_ptr<SimulatedBoard> board;
  Station station{ui, sound, serial};
};

using BoardStationTest = BasicBoardStationTest<RecordingUi>;

}  // namespace rz::testing
