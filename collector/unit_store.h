#pragma once

#include <cstddef>
#include <vector>

#include "pg_connection.h"
#include "unit_rows.h"

namespace rz::collect {

// The units' rows into the database, a batch per transaction: COPY into
// staging tables of the session, then one statement that adds the units not
// known yet (by unit ID) with their operations and measurements.
class UnitStore {
 public:
  explicit UnitStore(PgConnection& db) : db_(db) {}

  // Creates the tables and views when missing (one transaction), and the
  // session's staging tables.
  bool Prepare(PgError& error);

  // Stores the units in one transaction; `fresh` is how many were new. On a
  // failure nothing is stored. A unit ID must not come twice in one batch.
  bool Store(const std::vector<const UnitRows*>& units, std::size_t& fresh, PgError& error);

 private:
  PgConnection& db_;
};

}  // namespace rz::collect
