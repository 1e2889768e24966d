#pragma once

#include <string>
#include <vector>

namespace rz {

class HostSystem;

// One file a run reads or writes, with what it is there for (as messages name it).
// Whether `path` names a file without reference to the current directory:
// "/x", "\\server\share\x", "C:\x" or "C:/x".
bool IsAbsolutePath(const std::string& path);

struct FileUse {
  std::string path;
  std::string use;       // e.g. "--record", "write="
  bool written = false;  // the run creates or replaces it
};

// Whether two of `uses` name one file (by identity, not by spelling: links,
// "./", case on Windows) while at least one of them writes it, for uses of
// different kinds (reading one image twice, or writing one read target twice,
// is the operator's choice). The message names both uses, or "" when nothing
// collides. A path whose folder does not exist names no file yet and collides
// with nothing.
std::string FileCollision(HostSystem& system, const std::vector<FileUse>& uses);

// The same check of one more use against those of the run.
std::string FileCollision(HostSystem& system, const std::vector<FileUse>& uses, const FileUse& another);

}  // namespace rz
