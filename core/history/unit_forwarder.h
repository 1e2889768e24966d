#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace rz {

class HostSystem;

// What one delivery round did.
struct ForwardRound {
  std::size_t delivered = 0;
  std::size_t waiting = 0;  // files left in the spool
  std::string problem;      // why the round stopped early; empty when it did not
};

// Delivers the unit files waiting in `spool` into the folder `target`: each
// is written there under a temporary name and then renamed to its own (so a
// reader of the folder never sees half a file, and an existing file of that
// name is never replaced), and leaves the spool only once it is there. A file
// whose name is there already was delivered before (the unit's UUID is in its
// name) and leaves the spool too. The round stops at the first failure: the
// folder cannot be reached, and what is left waits for the next round.
ForwardRound DeliverSpool(HostSystem& system, const std::string& spool, const std::string& target);

// Forwards finished units to a shared folder (a network share may be away or
// slow for a long time): each unit's file is put into a local spool folder at
// once, and a thread of its own delivers the spool at the start, after each
// unit and every `retryEvery`, so that neither the operations nor the window
// ever wait for the share. Nothing leaves the spool before it is delivered:
// a unit is never lost, even when the program ends with the share away (the
// next start delivers it).
class UnitForwarder {
 public:
  UnitForwarder(HostSystem& system, std::string spool, std::string target,
                std::chrono::milliseconds retryEvery = std::chrono::minutes(1));
  ~UnitForwarder();
  UnitForwarder(const UnitForwarder&) = delete;
  UnitForwarder& operator=(const UnitForwarder&) = delete;

  const std::string& Target() const { return target_; }

  // Creates the spool folder when it is missing and starts delivering. False
  // with a message for the operator.
  bool Open(std::string& error);

  // Puts a finished unit's file into the spool (a local write, done before it
  // returns) and wakes the delivery. False with the reason.
  bool Queue(const std::string& name, const std::string& content, std::string& reason);

  // How many files wait in the spool, and why the last round stopped early.
  struct State {
    std::size_t waiting = 0;
    std::string problem;
  };
  State Status() const;

  // Runs a last round and waits for it up to `grace`; a round stuck on a
  // share that does not answer is left to end with the process (its files
  // stay in the spool). Later calls of Queue only fill the spool.
  void Finish(std::chrono::milliseconds grace);

 private:
  struct Shared;
  HostSystem& system_;
  std::string spool_;
  std::string target_;
  std::chrono::milliseconds retryEvery_;
  std::shared_ptr<Shared> shared_;
};

// The operator's line for the status of the forwarding: empty when nothing
// waits, else how many units wait for the shared folder.
std::string ForwardStatusText(const UnitForwarder::State& state);

}  // namespace rz
