#pragma once

#include <cstdint>
#include <string>

#include "app/host_system.h"
#include "app/result_sink.h"
#include "app/sound.h"
#include "app/station_ui.h"
#include "link/link_context.h"

namespace rz {

// What every operation works with beyond the transport: the window
// operations, the sound, the files and local time of the host, and what one
// operation leaves for the next or for the record. The board tests, the Flash
// operations and the debug console take this; the station builds on it.
class StationContext : public LinkContext {
 public:
  StationContext(StationUi& ui, SoundSink& sound) : ui_(ui), sound_(sound) {}

  StationUi& Ui() { return ui_; }
  // Says on the operator's side channel (the command line's stderr) that the
  // board's silence ended a wait.
  void SilenceEndedWait() override;
  SoundSink& Sound() { return sound_; }
  // Files and local time; the platform's own unless a test hands in another.
  HostSystem& System() { return *system_; }
  void UseHostSystem(HostSystem& system) { system_ = &system; }

  // The file of the transfer that runs (written to or read from Flash); set by
  // the transfer's handler, cleared when the next operation starts.
  std::string transferFile;
  // What became of that file when the transfer did not complete (where its
  // bytes were kept, why a write failed), or "".
  std::string transferNote;
  // Told of what the operations find out about the board (a run record), or
  // nullptr. Set before the first operation starts.
  ResultSink* results = nullptr;
  // Whether a write over UDP is read back and compared with the image. A
  // write whose answers leave traces of doubt is read back in any case.
  bool verifyUdpWrites = true;

 private:
  StationUi& ui_;
  SoundSink& sound_;
  HostSystem* system_ = &PlatformHostSystem();
};

// Hands `measurement` to the station's result sink, if it has one.
void Measure(StationContext& station, const Measurement& measurement);

}  // namespace rz
