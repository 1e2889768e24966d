#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rz::collect {

// The forward folder the stations copy their unit files into, and the
// folders the collector moves them to.
struct Folders {
  std::string forward;
  std::string archive;     // imported files, under their own names
  std::string quarantine;  // files that are no units, each with NAME.reason.txt
};

// Whether a name in the forward folder is a finished unit file: a ".json"
// name not starting with "." (a file still being copied has such a name).
bool IsUnitFileName(const std::string& name);

// The unit files waiting in the forward folder (regular files only), by name
// in ascending order; false with the reason when the folder cannot be read.
bool WaitingFiles(const std::string& folder, std::vector<std::string>& names, std::string& error);

// Creates the archive and quarantine folders when missing.
bool MakeFolders(const Folders& folders, std::string& error);

// Reads a whole file of at most `maxBytes`.
bool ReadFile(const std::string& path, std::uintmax_t maxBytes, std::string& text, std::string& error);

// Moves forward/NAME to folder/NAME (a rename: the same file system).
bool MoveFile(const Folders& folders, const std::string& folder, const std::string& name, std::string& error);

// Writes quarantine/NAME.reason.txt with the reason, then moves the file there.
bool Quarantine(const Folders& folders, const std::string& name, const std::string& reason, std::string& error);

}  // namespace rz::collect
