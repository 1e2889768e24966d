#include "unit_store.h"

#include "copy_text.h"
#include "schema.h"

namespace rz::collect {
namespace {

// The staging tables: rows of the batch in the transaction, gone at its end.
constexpr const char* kStagingSql = R"sql(
CREATE TEMP TABLE IF NOT EXISTS incoming_units (
  unit_id uuid, serial text, uniq_id text, flash_security_id text, station text, start timestamptz,
  start_local text, day date, outcome text, verdict text, product text, seconds double precision,
  failing text[], marginal text[], document jsonb) ON COMMIT DELETE ROWS;
CREATE TEMP TABLE IF NOT EXISTS incoming_operations (
  unit_id uuid, position integer, name text, start timestamptz, duration_seconds double precision,
  outcome text) ON COMMIT DELETE ROWS;
CREATE TEMP TABLE IF NOT EXISTS incoming_measurements (
  unit_id uuid, position integer, name text, value_number double precision, value_text text, unit text,
  result text, "limit" jsonb) ON COMMIT DELETE ROWS;
)sql";

constexpr const char* kUnitColumns =
    "unit_id, serial, uniq_id, flash_security_id, station, start, start_local, day, outcome, verdict, product, "
    "seconds, failing, marginal, document";

// The new units with their operations and measurements; a known unit ID adds
// nothing. Returns one row per new unit.
std::string MergeSql() {
  const std::string columns = kUnitColumns;
  return "WITH fresh AS (INSERT INTO units (" + columns + ") SELECT " + columns +
         " FROM incoming_units ON CONFLICT (unit_id) DO NOTHING RETURNING unit_id),\n"
         "operations_added AS (INSERT INTO operations SELECT * FROM incoming_operations\n"
         "  WHERE unit_id IN (SELECT unit_id FROM fresh)),\n"
         "measurements_added AS (INSERT INTO measurements SELECT * FROM incoming_measurements\n"
         "  WHERE unit_id IN (SELECT unit_id FROM fresh))\n"
         "SELECT unit_id::text FROM fresh";
}

struct BatchText {
  CopyText units;
  CopyText operations;
  CopyText measurements;
};

void AddUnit(const UnitRows& unit, BatchText& batch) {
  batch.units.Text(unit.unitId)
      .TextOrNull(unit.serial)
      .TextOrNull(unit.uniqId)
      .TextOrNull(unit.flashSecurityId)
      .TextOrNull(unit.station);
  batch.units.Text(unit.start).Text(unit.start).Text(unit.day).TextOrNull(unit.outcome).TextOrNull(unit.verdict);
  batch.units.TextOrNull(unit.product).Number(unit.seconds).TextArray(unit.failing).TextArray(unit.marginal);
  batch.units.Text(unit.document).EndRow();
  long long position = 0;
  for (const OperationRow& operation : unit.operations) {
    batch.operations.Text(unit.unitId).Integer(++position).Text(operation.name).TextOrNull(operation.start);
    batch.operations.Number(operation.seconds).TextOrNull(operation.outcome).EndRow();
  }
  position = 0;
  for (const MeasurementRow& measurement : unit.measurements) {
    batch.measurements.Text(unit.unitId).Integer(++position).Text(measurement.name).Number(measurement.number);
    batch.measurements.TextOrNull(measurement.text).TextOrNull(measurement.unit).TextOrNull(measurement.result);
    batch.measurements.TextOrNull(measurement.limit).EndRow();
  }
}

}  // namespace

bool UnitStore::Prepare(PgError& error) {
  if (!db_.Run(std::string("BEGIN;\n") + kSchemaSql + "COMMIT;\n", error)) {
    PgError ignored;
    db_.Run("ROLLBACK", ignored);
    return false;
  }
  return db_.Run(kStagingSql, error);
}

bool UnitStore::Store(const std::vector<const UnitRows*>& units, std::size_t& fresh, PgError& error) {
  BatchText batch;
  for (const UnitRows* unit : units) AddUnit(*unit, batch);
  std::vector<std::string> added;
  const bool stored =
      db_.Run("BEGIN", error) &&
      db_.CopyIn(std::string("COPY incoming_units (") + kUnitColumns + ") FROM STDIN", batch.units.Data(), error) &&
      db_.CopyIn("COPY incoming_operations FROM STDIN", batch.operations.Data(), error) &&
      db_.CopyIn("COPY incoming_measurements FROM STDIN", batch.measurements.Data(), error) &&
      db_.Column(MergeSql(), added, error) && db_.Run("COMMIT", error);
  if (!stored) {
    PgError ignored;
    db_.Run("ROLLBACK", ignored);
    return false;
  }
  fresh = added.size();
  return true;
}

}  // namespace rz::collect
