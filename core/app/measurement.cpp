#include "app/measurement.h"

#include "app/result_sink.h"
#include "context/station_context.h"

namespace rz {

const std::string& Measurement::Text() const {
  static const std::string kNone;
  return IsText() ? std::get<std::string>(value) : kNone;
}

void Measure(StationContext& station, Measurement measurement) {
  if (station.results != nullptr) station.results->Measured(measurement);
}

}  // namespace rz
