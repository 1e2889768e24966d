#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rzsim {

// The board's end of a pseudo-terminal pair. The station opens the slave
// path as its serial port; the board reads and writes the master.
//
// The link keeps a slave descriptor of its own open for its whole life: the
// station may close and reopen the port without hanging up the master, and
// the station's line settings can be read from it. Nothing is ever read
// from that descriptor, so the station's input is left alone.
class PtyLink {
 public:
  PtyLink() = default;
  ~PtyLink();
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // Creates the pair: non-blocking master, slave in raw mode. False with
  // `error` set when the system refuses.
  bool Open(std::string& error);
  // Makes `path` a symbolic link to the slave, replacing an existing link
  // (but not a file of another kind, and not the link of a simulator that is
  // still running: each holds a lock on `path`.lock for as long as it runs).
  bool MakeLink(const std::string& path, std::string& error);
  // Removes the link made by MakeLink if it still points at this slave.
  void RemoveLink();

  int masterFd() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }
  const std::string& linkPath() const { return linkPath_; }

  // The speed the station transmits at, in baud; 0 when unknown.
  std::uint32_t StationBaud() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string linkPath_;
  int lock_ = -1;
};

}  // namespace rzsim
