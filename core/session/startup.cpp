#include "session/startup.h"

#include "app/results_log.h"
#include "app/texts.h"
#include "operations/station.h"
#include "operations/station_ports.h"

namespace rz {

bool StartStation(Station& station, const std::string& workDir) {
  std::string dir = workDir.empty() ? std::string(".") : workDir;
  if (dir.back() != '/') dir += '/';
  std::string reason;
  if (!station.testProgram.Open(station.System(), dir + kTestProgramFileName, reason)) {
    station.Ui().ShowError({text::kErrorCaption,
                            std::string(text::kFileOpenError) + "<" + kTestProgramFileName + ">", false,
                            "искали в " + station.System().ShownPath(dir) + ": " + reason});
    return false;
  }
  station.workDir = dir;
  station.SetPort(OpenPort(station, 1));
  station.udp.socket = OpenUdpSocket(station);
  return true;
}

void StopStation(Station& station) {
  station.runner.Wait();
  station.testProgram.Close();
  station.SetPort(nullptr);
  station.udp.socket.reset();
}

bool WriteResultsLog(Station& station) { return WriteResultsLog(station.Ui(), station.System(), station.workDir); }

}  // namespace rz
