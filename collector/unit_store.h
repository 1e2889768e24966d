#pragma once

#include <cstddef>
#include <vector>

#include "pg_connection.h"
#include "unit_rows.h"

namespace rz::collect {

// The units' rows into the database, a batch per transaction: one INSERT of
// the units that skips the unit IDs already known, then COPY of the new
// units' operations and measurements.
class UnitStore {
 public:
  explicit UnitStore(PgConnection& db) : db_(db) {}

  // Creates the tables and views when missing (one transaction).
  bool Prepare(PgError& error);

  // Stores the units in one transaction; `fresh` is how many were new. On a
  // failure nothing is stored. A unit ID must not come twice in one batch;
  // at most 4000 units (the statement's parameters).
  bool Store(const std::vector<const UnitRows*>& units, std::size_t& fresh, PgError& error);

 private:
  PgConnection& db_;
};

}  // namespace rz::collect
