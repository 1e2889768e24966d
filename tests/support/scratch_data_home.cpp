// The programs these tests start keep a history in the user's data folder by
// default: every test program that links this file gives them a scratch data
// folder of its own instead (also when run by hand, outside ctest), removed
// when the test program ends.

#include <cstdlib>

#include "temp_dir.h"

namespace rz::testing {
namespace {

struct ScratchDataHome {
  ScratchDataHome() { ::setenv("XDG_DATA_HOME", dir.Path().c_str(), 1); }
  TempDir dir;
};

const ScratchDataHome scratchDataHome;

}  // namespace
}  // namespace rz::testing
