#pragma once

namespace rz {

// What an operation reports back to its caller besides the journal. The windows
// ignore it; the command-line front end turns it into its exit status.
enum class Outcome { Success, Failed, Aborted };

inline const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Success: return "success";
    case Outcome::Failed: return "failed";
    case Outcome::Aborted: return "aborted";
  }
  return "unknown";
}

}  // namespace rz
