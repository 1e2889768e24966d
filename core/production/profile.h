#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "operations/operation_args.h"
#include "app/limits.h"

namespace rz {

class HostSystem;
struct OperationRow;

// One operation of a profile's sequence: a word of the command line
// ("sdram", "ext-com:cycles=3", "write=firmware.rzi") and how long it may
// take before it is stopped as ESC stops it (nothing: no limit).
struct ProfileStep {
  std::string word;
  const OperationRow* row = nullptr;
  OperationArgs args;
  std::optional<std::chrono::milliseconds> timeLimit;
};

// What a good board of one product is and how it is tested: the sequence run
// for each board and the limits its measurements must keep.
struct Profile {
  std::string product;
  bool askSerial = false;  // the windows ask for each board's serial number
  std::vector<ProfileStep> steps;
  Limits limits;
  // The steps after the sequence's first download, which the windows run by
  // themselves once the operator's download has succeeded.
  std::size_t StepsAfterDownload() const;
};

// The RTC's advance over the test's ten seconds that passes when the profile
// names no limit of its own.
Limit DefaultRtcLimit();

// Parses a profile (JSON). On a mistake returns nothing and says what and
// where in `error`.
std::optional<Profile> ParseProfile(const std::string& json, std::string& error);

// Reads and parses the profile file at `path`.
std::optional<Profile> LoadProfile(HostSystem& system, const std::string& path, std::string& error);

}  // namespace rz
