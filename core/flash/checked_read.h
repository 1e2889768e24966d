#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "app/outcome.h"
#include "flash/piece_doubt.h"

namespace rz {

class StationContext;
class FlashChannel;

// Failed, or Aborted when ESC ended the work.
Outcome FailedOrAborted(StationContext& station);

// The pieces of the first `count` bytes of the Flash, as a read asks for them.
int PassPieceCount(std::span<const std::uint8_t> data);

// Takes each piece as it arrives (a file being written); false ends the pass
// as a piece that did not arrive would.
using PieceSink = std::function<bool(std::span<const std::uint8_t>)>;

// One pass of reads over the first data.size() bytes of the Flash, on the
// progress line the caller opened: each piece shown with its percentage and
// asked for once more when it does not arrive, handed to `sink` (when given),
// then the channel's settle. `doubt` (made by the caller before the pass)
// learns the channel's traces piece by piece. A piece that cannot be read or
// taken puts `failed` behind the percentage.
Outcome ReadPass(StationContext& station, FlashChannel& channel, std::span<std::uint8_t> data, const char* failed,
                 PieceDoubt& doubt, const PieceSink& sink = nullptr);

// Reads the listed pieces again, each so that no late answer can stand in for
// it, on a progress line of its own (" Проверка Flash: "), and keeps what they
// say in `data`. `differed` counts the pieces whose bytes changed.
Outcome RecheckPieces(StationContext& station, FlashChannel& channel, const std::vector<int>& pieces,
                      std::span<std::uint8_t> data, int& differed);

// A read of the first data.size() bytes that the caller can trust: ReadPass
// on a progress line " Чтение Flash: " (each piece to `sink` as it arrives),
// then, when the channel's traces put pieces in doubt, RecheckPieces for
// them. `corrected` counts the pieces whose bytes the check changed after the
// sink had taken them; a note tells of them.
Outcome ReadFlashChecked(StationContext& station, FlashChannel& channel, std::span<std::uint8_t> data,
                         const char* failed, const PieceSink& sink, int& corrected);

}  // namespace rz
