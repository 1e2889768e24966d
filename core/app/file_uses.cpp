#include "app/file_uses.h"

#include <optional>

#include "app/host_system.h"

namespace rz {

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

namespace {

bool Clash(const FileUse& a, const FileUse& b) { return (a.written || b.written) && a.use != b.use; }

// The identity of a file the run could destroy: a regular file, or one not
// there yet. Anything else (a FIFO, a device, a folder) is refused by what it
// is when it is used.
std::optional<FileIdentity> IdentityOf(HostSystem& system, const std::string& path) {
  std::string reason;
  const PathKind kind = system.Inspect(path, reason);
  if (kind != PathKind::RegularFile && kind != PathKind::Missing) return std::nullopt;
  return system.Identify(path);
}

std::string Message(const FileUse& a, const FileUse& b) {
  return "один и тот же файл назван как " + a.use + " " + a.path + " и как " + b.use + " " + b.path +
         ": запись одного уничтожила бы другой";
}

}  // namespace

std::string FileCollision(HostSystem& system, const std::vector<FileUse>& uses) {
  std::vector<std::optional<FileIdentity>> identities;
  identities.reserve(uses.size());
  for (const FileUse& use : uses) identities.push_back(IdentityOf(system, use.path));
  for (std::size_t i = 0; i < uses.size(); ++i) {
    for (std::size_t k = i + 1; k < uses.size(); ++k) {
      if (identities[i] && identities[i] == identities[k] && Clash(uses[i], uses[k])) {
        return Message(uses[i], uses[k]);
      }
    }
  }
  return "";
}

std::string FileCollision(HostSystem& system, const std::vector<FileUse>& uses, const FileUse& another) {
  const std::optional<FileIdentity> identity = IdentityOf(system, another.path);
  if (!identity) return "";
  for (const FileUse& use : uses) {
    if (Clash(use, another) && IdentityOf(system, use.path) == identity) return Message(use, another);
  }
  return "";
}

}  // namespace rz
