#include "history/unit_forwarder.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "app/host_system.h"
#include "history/folder_files.h"

namespace rz {
namespace {

// Copies one spool file into the target folder; true when it is there now.
bool DeliverFile(HostSystem& system, const std::string& from, const std::string& to, std::string& reason) {
  std::string text;
  if (!ReadFileFrom(from, 0, text)) {
    reason = "cannot read " + system.ShownPath(from);
    return false;
  }
  const std::unique_ptr<OutputFile> file = system.CreateOutput(to, reason);
  if (file == nullptr) return false;
  if (file->Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), reason) &&
      file->KeepAs(to, reason)) {
    return true;
  }
  // KeepAs never replaces: a file of that name is this unit, delivered before.
  std::string ignored;
  return system.Inspect(to, ignored) == PathKind::RegularFile;
}

}  // namespace

ForwardRound DeliverSpool(HostSystem& system, const std::string& spool, const std::string& target) {
  ForwardRound round;
  std::vector<std::string> names;
  if (!UnitFilesIn(spool, names, round.problem)) return round;
  std::sort(names.begin(), names.end());  // the oldest first: the names start with the unit's start
  round.waiting = names.size();
  std::string reason;
  if (system.Inspect(target, reason) != PathKind::Directory) {
    round.problem = "no folder " + system.ShownPath(target) + (reason.empty() ? "" : ": " + reason);
    return round;
  }
  for (const std::string& name : names) {
    const std::string from = spool + "/" + name;
    if (!DeliverFile(system, from, target + "/" + name, round.problem)) {
      // Another station sharing the spool may have delivered it meanwhile.
      std::string ignored;
      if (system.Inspect(from, ignored) != PathKind::Missing) return round;
      --round.waiting;
      continue;
    }
    std::error_code error;
    std::filesystem::remove(Utf8Path(from), error);
    ++round.delivered;
    --round.waiting;
  }
  round.problem.clear();
  return round;
}

struct UnitForwarder::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  bool roundWanted = true;  // a round at the start
  bool finishing = false;
  bool finished = false;
  State state;
  std::thread thread;
};

UnitForwarder::UnitForwarder(HostSystem& system, std::string spool, std::string target,
                             std::chrono::milliseconds retryEvery)
    : system_(system), spool_(std::move(spool)), target_(std::move(target)), retryEvery_(retryEvery),
      shared_(std::make_shared<Shared>()) {}

UnitForwarder::~UnitForwarder() { Finish(std::chrono::seconds(5)); }

bool UnitForwarder::Open(std::string& error) {
  std::error_code made;
  std::filesystem::create_directories(Utf8Path(spool_), made);
  std::string reason;
  if (system_.Inspect(spool_, reason) != PathKind::Directory) {
    error = "Ошибка: нет каталога " + spool_ + " для записей, ждущих отправки: " +
            (made ? made.message() : reason);
    return false;
  }
  std::vector<std::string> names;
  UnitFilesIn(spool_, names, reason);
  shared_->state.waiting = names.size();
  // The thread keeps what it works with alive: a round stuck on a share may
  // outlive this object.
  shared_->thread = std::thread([shared = shared_, &system = system_, spool = spool_, target = target_,
                                 retryEvery = retryEvery_] {
    std::unique_lock lock(shared->mutex);
    while (true) {
      shared->wake.wait_for(lock, retryEvery, [&] { return shared->roundWanted || shared->finishing; });
      const bool last = shared->finishing;
      shared->roundWanted = false;
      lock.unlock();
      const ForwardRound round = DeliverSpool(system, spool, target);
      lock.lock();
      shared->state = {round.waiting, round.problem};
      if (last) break;
    }
    shared->finished = true;
    shared->wake.notify_all();
  });
  return true;
}

bool UnitForwarder::Queue(const std::string& name, const std::string& content, std::string& reason) {
  if (!ReplaceWholeFile(system_, spool_ + "/" + name, content, reason)) return false;
  std::lock_guard lock(shared_->mutex);
  ++shared_->state.waiting;
  shared_->roundWanted = true;
  shared_->wake.notify_all();
  return true;
}

UnitForwarder::State UnitForwarder::Status() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->state;
}

void UnitForwarder::Finish(std::chrono::milliseconds grace) {
  std::unique_lock lock(shared_->mutex);
  if (!shared_->thread.joinable()) return;
  shared_->finishing = true;
  shared_->wake.notify_all();
  const bool ended = shared_->wake.wait_for(lock, grace, [&] { return shared_->finished; });
  lock.unlock();
  if (ended) {
    shared_->thread.join();
  } else {
    shared_->thread.detach();
  }
}

std::string ForwardStatusText(const UnitForwarder::State& state) {
  if (state.waiting == 0) return "";
  return "Не отправлено в общий каталог: " + std::to_string(state.waiting);
}

}  // namespace rz
