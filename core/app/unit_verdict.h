#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/outcome.h"
#include "app/limits.h"

namespace rz {

// One board's verdict: PASS when every operation of the sequence succeeded
// and every measurement kept its limits (marginal ones pass with a warning),
// FAIL when an operation failed or a measurement broke its limits,
// INCOMPLETE when the sequence did not run to its end (ESC, a time limit, a
// refusal) or a limited measurement is missing, and nothing failed.
enum class Verdict { Pass, Fail, Incomplete };

// How one operation of the sequence ended.
struct StepResult {
  std::string word;
  std::optional<Outcome> outcome;  // nothing: refused or not started
  bool timedOut = false;           // stopped by its time limit
  double seconds = 0;
  std::optional<double> timeLimitSeconds;
};

struct UnitVerdict {
  Verdict verdict = Verdict::Incomplete;
  std::string product;
  std::vector<StepResult> steps;
  std::vector<JudgedMeasurement> measurements;  // every measurement of the sequence, judged
  // What decided it, one entry each: the failing (or, for INCOMPLETE, the
  // missing) measurements' names and the operations that did not succeed.
  std::vector<std::string> failing;
  std::vector<std::string> marginal;  // measurements that passed near an edge
};

// "PASS", "FAIL", "INCOMPLETE".
const char* VerdictName(Verdict verdict);

}  // namespace rz
