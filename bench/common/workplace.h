#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "operations/station.h"

namespace rz::bench {

// A temporary working directory holding a 2048-byte stand-in test program,
// removed at the end.
struct Workplace {
  Workplace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rz-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    std::ofstream program(dir + "/" + rz::kTestProgramFileName, std::ios::binary);
    for (int i = 0; i < 2048; ++i) program.put(static_cast<char>(i * 13));
  }
  ~Workplace() { std::filesystem::remove_all(dir); }
  Workplace(const Workplace&) = delete;
  Workplace& operator=(const Workplace&) = delete;
  std::string dir;
};

}  // namespace rz::bench
