#pragma once

#include <string>

namespace rz {

class Station;

// Start-up of the station, shared by both front ends: open and hold the
// test-program file of the working directory, remember the directory, open
// COM1, create the UDP socket. Returns false (after the message box) when the test-program file cannot
// be opened; the caller then ends without a main window.
bool StartStation(Station& station, const std::string& workDir);

// Closes the test-program file, the port and the UDP socket.
void StopStation(Station& station);

// Writes the journal into the results log of the station's working directory.
bool WriteResultsLog(Station& station);

}  // namespace rz
