#include "app/measurement.h"

namespace rz {

const std::string& Measurement::Text() const {
  static const std::string kNone;
  return IsText() ? std::get<std::string>(value) : kNone;
}

}  // namespace rz
