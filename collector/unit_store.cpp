#include "unit_store.h"

#include <set>

#include "copy_text.h"
#include "schema.h"

namespace rz::collect {
namespace {

// The units' columns with the types their text parameters are read as.
constexpr const char* kUnitColumns[][2] = {
    {"unit_id", "uuid"},   {"serial", "text"},       {"uniq_id", "text"},     {"flash_security_id", "text"},
    {"station", "text"},   {"start", "timestamptz"}, {"start_local", "text"}, {"day", "date"},
    {"outcome", "text"},   {"verdict", "text"},      {"product", "text"},     {"seconds", "float8"},
    {"failing", "text[]"}, {"marginal", "text[]"},   {"document", "jsonb"}};
constexpr std::size_t kColumns = std::size(kUnitColumns);

// INSERT of `units` rows that skips known unit IDs and returns the new ones.
std::string InsertUnitsSql(std::size_t units) {
  std::string sql = "INSERT INTO units (";
  for (std::size_t c = 0; c < kColumns; ++c) sql += std::string(c ? ", " : "") + kUnitColumns[c][0];
  sql += ") VALUES ";
  for (std::size_t u = 0; u < units; ++u) {
    sql += u ? ",(" : "(";
    for (std::size_t c = 0; c < kColumns; ++c) {
      sql += (c ? ",$" : "$") + std::to_string(u * kColumns + c + 1) + "::" + kUnitColumns[c][1];
    }
    sql += ')';
  }
  return sql + " ON CONFLICT (unit_id) DO NOTHING RETURNING unit_id::text";
}

void AddUnitParams(const UnitRows& unit, std::vector<std::optional<std::string>>& params) {
  params.insert(params.end(), {unit.unitId, unit.serial, unit.uniqId, unit.flashSecurityId, unit.station, unit.start,
                               unit.start, unit.day, unit.outcome, unit.verdict, unit.product, NumberText(unit.seconds),
                               TextArrayLiteral(unit.failing), TextArrayLiteral(unit.marginal), unit.document});
}

void AddListRows(const UnitRows& unit, CopyText& operations, CopyText& measurements) {
  long long position = 0;
  for (const OperationRow& operation : unit.operations) {
    operations.Text(unit.unitId).Integer(++position).Text(operation.name).TextOrNull(operation.start);
    operations.Number(operation.seconds).TextOrNull(operation.outcome).EndRow();
  }
  position = 0;
  for (const MeasurementRow& measurement : unit.measurements) {
    measurements.Text(unit.unitId).Integer(++position).Text(measurement.name).Number(measurement.number);
    measurements.TextOrNull(measurement.text).TextOrNull(measurement.unit).TextOrNull(measurement.result);
    measurements.TextOrNull(measurement.limit).EndRow();
  }
}

}  // namespace

bool UnitStore::Prepare(PgError& error) {
  if (db_.Run(std::string("BEGIN;\n") + kSchemaSql + "COMMIT;\n", error)) return true;
  PgError ignored;
  db_.Run("ROLLBACK", ignored);
  return false;
}

bool UnitStore::Store(const std::vector<const UnitRows*>& units, std::size_t& fresh, PgError& error) {
  // The units first, each file's text parsed and written once; then the
  // operations and measurements of the units that were new.
  std::vector<std::optional<std::string>> params;
  params.reserve(units.size() * kColumns);
  for (const UnitRows* unit : units) AddUnitParams(*unit, params);
  std::vector<std::string> added;
  bool stored = db_.Run("BEGIN", error) && db_.Column(InsertUnitsSql(units.size()), params, added, error);
  if (stored) {
    const std::set<std::string> isNew(added.begin(), added.end());
    CopyText operations;
    CopyText measurements;
    for (const UnitRows* unit : units) {
      if (isNew.count(unit->unitId) != 0) AddListRows(*unit, operations, measurements);
    }
    stored = db_.CopyIn("COPY operations FROM STDIN", operations.Data(), error) &&
             db_.CopyIn("COPY measurements FROM STDIN", measurements.Data(), error) && db_.Run("COMMIT", error);
  }
  if (!stored) {
    PgError ignored;
    db_.Run("ROLLBACK", ignored);
    return false;
  }
  fresh = added.size();
  return true;
}

}  // namespace rz::collect
