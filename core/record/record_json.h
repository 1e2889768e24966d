#pragma once

#include <nlohmann/json.hpp>

#include "app/board_identity.h"
#include "record/run_data.h"

namespace rz {

// The board's identity as values: one object per section (null for a section
// no readout of the unit read), codes in hex, null for what the station has
// no name for.
nlohmann::json IdentityJson(const BoardIdentity& board);

// The whole record of a run, as its JSON file holds it.
nlohmann::json RunJson(const RunData& run);

// One unit as the run's record holds it, with the run's schema version,
// station, operator and host beside it, so that it stands alone.
nlohmann::json UnitFileJson(const RunData& run, const RecordedUnit& unit);

}  // namespace rz
