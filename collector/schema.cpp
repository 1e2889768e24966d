#include "schema.h"

namespace rz::collect {

// The report views count judged units only (those with a verdict). A board is
// its processor's Uniq_ID, else its serial number, else the unit alone; its
// units are in the order of their start (the instant, over all stations),
// ties by unit ID as text. Names sort byte by byte (COLLATE "C"), whatever the
// database's locale.
const char* const kSchemaSql = R"sql(
SELECT pg_advisory_xact_lock(7312001);

CREATE TABLE IF NOT EXISTS units (
  unit_id uuid PRIMARY KEY,
  serial text,
  uniq_id text,
  flash_security_id text,
  station text,
  start timestamptz NOT NULL,
  start_local text NOT NULL,
  day date NOT NULL,
  outcome text,
  verdict text,
  product text,
  seconds double precision NOT NULL DEFAULT 0,
  failing text[] NOT NULL DEFAULT '{}',
  marginal text[] NOT NULL DEFAULT '{}',
  document jsonb NOT NULL,
  imported_at timestamptz NOT NULL DEFAULT now(),
  board text GENERATED ALWAYS AS (
    CASE WHEN uniq_id <> '' THEN uniq_id
         WHEN serial <> '' THEN 'serial:' || serial
         ELSE 'unit:' || unit_id::text END) STORED
);

CREATE TABLE IF NOT EXISTS operations (
  unit_id uuid NOT NULL REFERENCES units ON DELETE CASCADE,
  position integer NOT NULL,
  name text NOT NULL,
  start timestamptz,
  duration_seconds double precision,
  outcome text,
  PRIMARY KEY (unit_id, position)
);

CREATE TABLE IF NOT EXISTS measurements (
  unit_id uuid NOT NULL REFERENCES units ON DELETE CASCADE,
  position integer NOT NULL,
  name text NOT NULL,
  value_number double precision,
  value_text text,
  unit text,
  result text,
  "limit" jsonb,
  PRIMARY KEY (unit_id, position)
);

CREATE INDEX IF NOT EXISTS units_judged_board ON units (board, start, unit_id) WHERE verdict IS NOT NULL;
CREATE INDEX IF NOT EXISTS units_station_day ON units (station, day);
CREATE INDEX IF NOT EXISTS units_serial ON units (serial);
CREATE INDEX IF NOT EXISTS units_uniq_id ON units (uniq_id);
CREATE INDEX IF NOT EXISTS measurements_name ON measurements (name);

-- Every judged unit with its place among its board's judged units (attempt
-- 1 is the board's first unit) and the place of the board's first PASS.
CREATE OR REPLACE VIEW judged_units AS
SELECT ranked.*,
       min(ranked.attempt) FILTER (WHERE ranked.verdict = 'PASS') OVER (PARTITION BY ranked.board)
         AS first_pass_attempt
FROM (SELECT u.unit_id, u.board, u.serial, u.station, u.day, u.start, u.verdict, u.seconds, u.failing,
             row_number() OVER (PARTITION BY u.board ORDER BY u.start, u.unit_id::text) AS attempt
      FROM units u
      WHERE u.verdict IS NOT NULL) ranked;

CREATE OR REPLACE VIEW report_days AS
SELECT station, day,
       count(*) AS units,
       count(*) FILTER (WHERE attempt = 1) AS boards,
       count(*) FILTER (WHERE attempt = 1 AND verdict = 'PASS') AS first_pass,
       round(100.0 * count(*) FILTER (WHERE attempt = 1 AND verdict = 'PASS')
             / nullif(count(*) FILTER (WHERE attempt = 1), 0), 1) AS yield_percent,
       count(*) FILTER (WHERE attempt > 1) AS retests,
       count(*) FILTER (WHERE attempt > 1 AND attempt = first_pass_attempt) AS passed_after_retest,
       round(avg(seconds)::numeric, 1) AS mean_seconds,
       round(max(seconds)::numeric, 1) AS max_seconds
FROM judged_units
GROUP BY station, day
ORDER BY station COLLATE "C", day;

CREATE OR REPLACE VIEW report_failures AS
SELECT j.station, j.day, f.name, count(DISTINCT j.unit_id) AS units
FROM judged_units j CROSS JOIN LATERAL unnest(j.failing) AS f(name)
WHERE j.verdict = 'FAIL'
GROUP BY j.station, j.day, f.name
ORDER BY j.station COLLATE "C", j.day, units DESC, f.name COLLATE "C";

CREATE OR REPLACE VIEW report_pareto AS
WITH counted AS (
  SELECT f.name, count(DISTINCT u.unit_id) AS units
  FROM units u CROSS JOIN LATERAL unnest(u.failing) AS f(name)
  WHERE u.verdict = 'FAIL'
  GROUP BY f.name)
SELECT name, units,
       round(100.0 * units / sum(units) OVER (), 1) AS percent,
       round(100.0 * sum(units) OVER (ORDER BY units DESC, name COLLATE "C" ROWS UNBOUNDED PRECEDING)
             / sum(units) OVER (), 1) AS cumulative_percent
FROM counted
ORDER BY units DESC, name COLLATE "C";

CREATE OR REPLACE VIEW report_retested AS
SELECT board,
       min(serial) FILTER (WHERE attempt = first_pass_attempt) AS serial,
       min(verdict) FILTER (WHERE attempt = 1) AS first_result,
       min(day) FILTER (WHERE attempt = 1) AS first_day,
       min(day) FILTER (WHERE attempt = first_pass_attempt) AS passed_day,
       min(first_pass_attempt) AS tests
FROM judged_units
WHERE first_pass_attempt > 1
GROUP BY board
ORDER BY min(start) FILTER (WHERE attempt = first_pass_attempt),
         min(unit_id::text) FILTER (WHERE attempt = first_pass_attempt);
)sql";

}  // namespace rz::collect
