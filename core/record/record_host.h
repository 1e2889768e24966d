#pragma once

#include <string>

namespace rz {

// Replaces the file `path` with `content` so that it holds either the old or
// the new content whatever happens meanwhile (a crash, a kill, a power cut):
// the content goes into a temporary file beside it, is flushed to the disk, and
// the temporary file is renamed over `path`. A `path` that exists and is not
// a regular file (a device node, a FIFO, a directory) is refused, never
// replaced. Returns false with the system's reason when it could not be done;
// `path` is then unchanged.
bool ReplaceFileAtomically(const std::string& path, const std::string& content, std::string& reason);

// The name of the machine the station runs on.
std::string HostName();

}  // namespace rz
