#include "app/startup.h"

#include "app/station.h"
#include "app/texts.h"

namespace rz {

bool StartStation(Station& station, const std::string& workDir) {
  std::string dir = workDir.empty() ? std::string(".") : workDir;
  if (dir.back() != '/') dir += '/';
  std::string reason;
  if (!station.testProgram.Open(station.System(), dir + kTestProgramFileName, reason)) {
    station.Ui().ShowError({text::kErrorCaption,
                            std::string(text::kFileOpenError) + "<" + kTestProgramFileName + ">", false,
                            "searched in " + dir + ": " + reason});
    return false;
  }
  station.workDir = dir;
  station.SetPort(OpenPort(station, 1));
  station.udp.socket = CreateUdpSocket(station);
  return true;
}

void StopStation(Station& station) {
  station.runner.Wait();
  station.testProgram.Close();
  station.SetPort(nullptr);
  station.udp.socket.reset();
}

}  // namespace rz
