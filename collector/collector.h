#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forward_folder.h"
#include "unit_store.h"

namespace rz::collect {

struct ImportCounts {
  std::size_t imported = 0;
  std::size_t known = 0;  // already in the database, or a second copy in the folder
  std::size_t quarantined = 0;
};

// One pass over the forward folder: every unit file is read and converted;
// one that is not a valid unit goes to quarantine with its reason, the others
// are stored in batches, and a batch's files go to the archive once it has
// committed. A database failure leaves the batch's files, and all after
// them, in the forward folder. The next batch's files are read and converted
// on a second thread while the database stores the current one.
class Collector {
 public:
  using Warn = std::function<void(const std::string&)>;

  Collector(UnitStore& store, Folders folders, std::size_t batchSize, std::function<bool()> stopRequested, Warn warn)
      : store_(store),
        folders_(std::move(folders)),
        batchSize_(batchSize),
        stop_(std::move(stopRequested)),
        warn_(std::move(warn)) {}

  // False with the reason when the folders or the database failed; the
  // counts hold what was done before. A file that cannot be moved is
  // reported through `warn` and stays. Between batches, ends early (true)
  // when a stop is requested.
  bool ImportWaiting(ImportCounts& counts, std::string& error);

  // Whether the last pass failed for the database (the connection is then
  // opened anew before the next one).
  bool DatabaseFailed() const { return databaseFailed_; }

 private:
  struct Pending {
    std::string name;
    UnitRows rows;
  };
  // A batch's files read and converted, nothing moved yet.
  struct Prepared {
    std::vector<Pending> units;
    std::vector<std::pair<std::string, std::string>> refused;  // name, reason
  };
  Prepared Prepare(const std::vector<std::string>& names, std::size_t first) const;
  bool ImportBatch(std::vector<Pending>& batch, ImportCounts& counts, std::string& error);
  void Archive(const std::string& name);
  void SendToQuarantine(const std::string& name, const std::string& reason, ImportCounts& counts);

  UnitStore& store_;
  Folders folders_;
  std::size_t batchSize_;
  std::function<bool()> stop_;
  Warn warn_;
  bool databaseFailed_ = false;
};

}  // namespace rz::collect
