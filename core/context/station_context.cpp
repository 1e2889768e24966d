#include "context/station_context.h"

#include "app/texts.h"

namespace rz {

void StationContext::SilenceEndedWait() {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(silenceLimit).count();
  ui_.Note(text::kSilenceNotePrefix + std::to_string(seconds) + text::kSilenceNoteSuffix);
}

void Measure(StationContext& station, const Measurement& measurement) {
  if (station.results != nullptr) station.results->Measured(measurement);
}

}  // namespace rz
