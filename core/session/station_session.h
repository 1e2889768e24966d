#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/file_uses.h"
#include "app/port_paths.h"
#include "link/datagram_socket.h"
#include "link/serial_device.h"
#include "operations/station.h"
#include "production/auto_sequence.h"
#include "production/profile.h"
#include "history/station_history.h"
#include "record/run_record.h"

namespace rz {

// What the platform gives a run: serial devices, datagram sockets (none: no
// work through Ethernet) and the end-of-operation sound.
struct PlatformBackends {
  SerialBackend& serial;
  DatagramBackend* datagrams = nullptr;
  SoundSink& sound;
};

// The options every program of the station takes, parsed by its front end.
struct SessionOptions {
  std::string program;  // the program's name, for the record and its messages
  std::string workDir;  // empty: the current directory
  PortPaths portPaths;
  // The station's own address for work through Ethernet; nothing: the computer's.
  std::optional<std::array<std::uint8_t, 4>> localAddress;
  RecordFiles record;  // empty paths: no record
  // The station's name (empty: the computer's) and the operator, for the record.
  RunLabels labels = {};
  // The serial number of the first board of the run, when given.
  std::string serial = {};
  // Files the run's operations will read or write, known before it starts
  // (the command line's write= and read=): checked against the run's own.
  std::vector<FileUse> transferFiles = {};
  // The options the keys C, F and S toggle in the windows, set from the start.
  int serviceComVariant = 1;
  bool flashServiceMode = false;
  bool endSignal = false;
  // Writes over the serial port are read back and compared (key V).
  bool verifyWrites = false;
  // Writes over UDP are read back and compared (the command line may turn it
  // off; a write whose answers leave doubt is read back anyway).
  bool verifyUdpWrites = true;
  // Nobody watches the run to press ESC (the command line): without a port,
  // every wait for the board ends at once as ESC would end it.
  bool unattended = false;
  // How long the board may stay silent while a byte is awaited before the
  // wait ends as ESC would end it; zero: no limit (the windows).
  std::chrono::milliseconds silenceLimit{0};
  // The production profile's file; empty: none.
  std::string profilePath = {};
  // With a profile: each successful download started from the controls runs
  // the rest of the profile's sequence (the windows). The command line runs
  // the sequences itself.
  bool autoSequence = false;
  // The command line's loop over boards: the wait for the next board's boot
  // ROM has no silence limit.
  bool boardWaitUnlimited = false;
  // Each finished unit goes into the history folder `historyDir` (empty: the
  // one in the user's data folder), and a board's past is shown when a
  // readout identifies it.
  bool history = false;
  std::string historyDir = {};
  // With the history: each finished unit's file is also forwarded to this
  // shared folder, through a spool in the history folder; empty: none.
  std::string forwardDir = {};
};

// One run of the station from start to end, the same for the windows and the
// command line: builds the station from the options and the platform's
// backends, opens the record and what the station holds open, and ends the
// run in one place.
class StationSession {
 public:
  StationSession(StationUi& ui, const PlatformBackends& backends, const SessionOptions& options);
  StationSession(const StationSession&) = delete;
  StationSession& operator=(const StationSession&) = delete;
  ~StationSession();

  Station& GetStation() { return station_; }
  // The production profile, once Start has read it; nullptr without one.
  const Profile* GetProfile() const { return profile_ ? &*profile_ : nullptr; }

  // The serial number of the board of the next unit of the record (a unit
  // begins with a download or a change of port).
  void SetNextSerial(std::string serial) { record_.SetNextSerial(std::move(serial)); }

  // Refuses a run whose files collide (an output that is one of its inputs,
  // two outputs in one file), then writes the record files once (so that a
  // path that cannot be written stops the run before the board is touched)
  // and makes sure of the history folder,
  // then reads the profile, if one is given (a profile that cannot be read
  // or makes no sense stops the run with `error` saying why),
  // then opens the test program of the working directory, COM1 and the UDP
  // socket. False when the run cannot start: `error` then says which files
  // collide or why the record could not be written, or is empty when the
  // station has shown its own start-up message.
  bool Start(std::string& error);

  // Ends the run: a running operation is stopped (ESC) and waited for, with
  // `serve` called between waits so that the window can apply the worker's
  // calls; the record is finished, the results log written when `writeLog`,
  // and the port, the socket and the test program are closed. Only the first
  // call does anything. False with `error` when the record, a unit of the
  // history or the log could not be written.
  bool End(bool writeLog, const std::function<void()>& serve, std::string& error);

  // How the forwarding stands (how many units wait, why); nothing without a
  // forward folder. Cheap enough to ask every second.
  std::optional<UnitForwarder::State> ForwardState() const;
  // The same for the operator's status line: how many units wait, or empty.
  std::string ForwardRemark() const;

 private:
  Station station_;
  RunRecord record_;
  std::string workDir_;
  RecordFiles recordFiles_;
  std::vector<FileUse> transferFiles_;
  bool recording_ = false;
  // The record observes the station: for its files, for the history or both.
  bool observing_ = false;
  std::string historyDir_;
  std::unique_ptr<StationHistory> history_;
  bool ended_ = false;
  std::string profilePath_;
  bool autoSequenceWanted_ = false;
  std::optional<Profile> profile_;
  std::unique_ptr<AutoSequence> autoSequence_;
};

}  // namespace rz
