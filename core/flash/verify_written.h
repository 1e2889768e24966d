#pragma once

#include <cstdint>
#include <span>

#include "app/outcome.h"

namespace rz {

class StationContext;
class FlashChannel;

// Reads back the image just written from Flash address 0 and compares it with
// what was written, on a progress line " Проверка Flash: ". Pieces that
// differ, or whose answers the channel's traces put in doubt, are read again
// so that no late answer can stand in for them. A piece that still differs
// is written again; one that differs after that has its Flash block erased
// and the block's part of the image written again. Succeeds when the Flash
// holds the image byte for byte; otherwise the journal names the first
// differing address with the words written and read. A read-back that came
// to an end either way is told to the run's record (station.results).
Outcome VerifyWritten(StationContext& station, FlashChannel& channel, std::span<const std::uint8_t> image);

}  // namespace rz
