// rzstation-collect: the unit files the stations forward into a shared folder,
// imported into the factory's PostgreSQL database, once or as a service.

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "collect_options.h"
#include "collector.h"
#include "pg_connection.h"
#include "unit_store.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// Files per transaction: large enough that a commit costs little per unit.
constexpr std::size_t kBatchFiles = 500;

void Say(const std::string& text) { std::fprintf(stderr, "rzstation-collect: %s\n", text.c_str()); }

// SIGTERM and SIGINT are blocked from the start and only looked at: between
// batches (pending) and while waiting for the next pass (taken).
sigset_t EndSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  return set;
}

bool EndRequested() {
  sigset_t pending;
  sigpending(&pending);
  return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1;
}

// Waits the interval; false when an end signal came.
bool WaitInterval(int seconds) {
  const sigset_t set = EndSignals();
  timespec left{seconds, 0};
  const std::time_t until = std::time(nullptr) + seconds;
  for (;;) {
    if (sigtimedwait(&set, nullptr, &left) > 0) return false;
    const std::time_t now = std::time(nullptr);
    if (now >= until) return true;
    left = {until - now, 0};
  }
}

// One pass: connects when not connected, then imports what waits.
bool Pass(const rz::collect::CollectOptions& options, rz::collect::PgConnection& db, rz::collect::UnitStore& store,
          rz::collect::Collector& collector) {
  if (!db.IsOpen()) {
    rz::collect::PgError failure;
    if (!db.Open(options.conninfo, failure) || !store.Prepare(failure)) {
      db.Close();
      Say("cannot use the database: " + failure.message + "; the unit files stay in " + options.folders.forward);
      return false;
    }
  }
  rz::collect::ImportCounts counts;
  std::string error;
  const bool ok = collector.ImportWaiting(counts, error);
  if (!ok && collector.DatabaseFailed()) db.Close();
  if (options.once || counts.imported + counts.known + counts.quarantined > 0) {
    std::printf("imported %zu, already known %zu, quarantined %zu\n", counts.imported, counts.known,
                counts.quarantined);
    std::fflush(stdout);
  }
  if (!ok) Say(error);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const sigset_t endSignals = EndSignals();
  sigprocmask(SIG_BLOCK, &endSignals, nullptr);

  std::string error;
  const auto options = rz::collect::ParseCollectOptions({argv + 1, argv + argc}, error);
  if (!options) {
    std::fprintf(stderr, "rzstation-collect: %s\n\n%s", error.c_str(), rz::collect::CollectUsage().c_str());
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(rz::collect::CollectUsage().c_str(), stdout);
    return kExitOk;
  }
  if (options->version) {
    std::printf("rzstation-collect %s\n", RZ_VERSION);
    return kExitOk;
  }

  rz::collect::PgConnection db;
  rz::collect::UnitStore store(db);
  rz::collect::Collector collector(store, options->folders, kBatchFiles, EndRequested, Say);
  if (options->once) return Pass(*options, db, store, collector) ? kExitOk : kExitFailed;
  do {
    Pass(*options, db, store, collector);
  } while (!EndRequested() && WaitInterval(options->intervalSeconds));
  return kExitOk;
}
