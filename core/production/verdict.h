#pragma once

#include <string>
#include <vector>

#include "production/profile.h"
#include "app/unit_verdict.h"

namespace rz {

// Judges the measurements of one board's run of the sequence (`steps` as far
// as it ran; the steps the profile names after them never ran) against the
// profile's limits and decides the verdict.
UnitVerdict DecideVerdict(const Profile& profile, std::size_t firstStep, const std::vector<StepResult>& steps,
                          const std::vector<Measurement>& measurements);

// The verdict's lines for the journal, after the operations' own lines: a
// heading with the verdict, then one line for each thing that decided it and
// each marginal measurement.
std::vector<std::string> VerdictJournalLines(const UnitVerdict& verdict);

// The verdict as the status line shows it until the next operation.
std::string VerdictStatusText(const UnitVerdict& verdict);

}  // namespace rz
