#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rz {

// The content of a file from byte `from`, read without keeping writers out
// (another station may append meanwhile); false when it cannot be read or is
// shorter than `from`.
bool ReadFileFrom(const std::string& path, std::uint64_t from, std::string& text);

// The names of the unit files in `folder`: regular files ending in ".json",
// without those whose name starts with "." (files still being written).
// False with the reason when the folder cannot be listed.
bool UnitFilesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason);

}  // namespace rz
