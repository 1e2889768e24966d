#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace rz {

// The path of a UTF-8 file name (the station's text is UTF-8 everywhere), for
// the standard library's file functions: on Windows a plain std::string would
// be taken as the ANSI code page.
inline std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The files of the station (test program, transfer files, results log, run
// record) reach the disk only through this interface, so the core calls no
// system function of its own. Paths are UTF-8 strings; sizes and offsets are
// 64-bit byte counts. Every failure comes with `reason`, the system's own text
// for it (for example "No such file or directory", "No space left on device"),
// or a plain sentence where the station itself refuses (a FIFO, a directory).
// No call ever waits for another program: a FIFO or a device node is refused
// by what it is, without being opened in a way that could block.

// A file opened for reading. Other readers may hold it at the same time;
// writers are kept out while it is open.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Current size in bytes (0 when the system cannot tell).
  virtual std::uint64_t Size() = 0;
  // Moves to byte `offset` from the start; false when the system refuses.
  virtual bool Seek(std::uint64_t offset) = 0;
  // Reads up to n bytes from the current offset, repeating short reads until n
  // bytes, the end of the file or an error; returns how many were read.
  virtual std::size_t Read(std::uint8_t* data, std::size_t n) = 0;
};

// A file being created: its bytes go into a temporary file in the target's
// folder (a name of its own, created new, opened by this process alone), and
// the target itself stays as it was until Commit(). Destroying the object
// without a successful Commit() or KeepAs() removes the temporary file.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // The path the file is created for.
  virtual const std::string& Target() const = 0;
  // Appends n bytes. False with the reason when not all of them could be
  // written (a full disk, an I/O error); what was written before stays.
  virtual bool Write(const std::uint8_t* data, std::size_t n, std::string& reason) = 0;
  // Bytes written so far.
  virtual std::uint64_t Written() const = 0;
  // Empties the file to write it anew from its start; false with the reason
  // when that failed.
  virtual bool Restart(std::string& reason) = 0;
  // Flushes the bytes to the disk and puts the file in the target's place in
  // one step: the target then holds either its old content or all of the new,
  // whatever happens meanwhile. An existing target is replaced only when it is
  // a regular file (anything else is refused and left alone). After success the
  // object has nothing more to do; on failure the target is unchanged.
  virtual bool Commit(std::string& reason) = 0;
  // Flushes the bytes and gives them the name `path` (a path in the target's
  // folder), never replacing anything: false with the reason when `path`
  // exists or the move fails. The target is not touched.
  virtual bool KeepAs(const std::string& path, std::string& reason) = 0;
};

// Which file a path names, so that two spellings of one file (a link, "./",
// another case on Windows) compare equal: the file itself when it exists
// (device and inode; on Windows the volume serial number and file index),
// else its folder's identity and its name.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::string name;  // empty for a file that exists
  bool operator==(const FileIdentity&) const = default;
};

// What a path names, looked at without opening it.
enum class PathKind { Missing, RegularFile, Directory, Other };

// What the core needs of the host system besides the serial ports, the
// sockets and the sound: files and the local time. Each platform supplies one
// implementation (platform/posix for POSIX systems, platform/win32 for
// Windows).
class HostSystem {
 public:
  virtual ~HostSystem() = default;
  // Opens an existing regular file for reading, shared with other readers but
  // not with writers (a shared lock on POSIX; FILE_SHARE_READ alone on
  // Windows), without ever blocking (a FIFO, a device node or a directory of
  // that name is refused at once). Returns nullptr and the reason on failure.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path, std::string& reason) = 0;
  // Starts a new file for `target` (see OutputFile). A symbolic link is
  // written through: the file it points to is replaced (also a link whose
  // file does not exist yet), and the link stays. An existing file keeps its
  // permissions (and where the system lets the process, its owner). Refused
  // when `target` exists and is not a regular file, is read-only, or when the
  // temporary file cannot be created (a missing folder, no right to write
  // there): nullptr and the reason.
  virtual std::unique_ptr<OutputFile> CreateOutput(const std::string& target, std::string& reason) = 0;
  // What `path` names now (following a symbolic link), without opening it;
  // Other for FIFOs, device nodes and sockets. Missing also when it cannot be
  // looked at; `reason` then says why.
  virtual PathKind Inspect(const std::string& path, std::string& reason) = 0;
  // Which file `path` names (see FileIdentity); nothing when neither it nor
  // its folder exists.
  virtual std::optional<FileIdentity> Identify(const std::string& path) = 0;
  // Appends `bytes` to the end of the regular file `path` (created when
  // missing) in one write at the end of the file as it is then (O_APPEND on
  // POSIX, FILE_APPEND_DATA on Windows), so that processes appending to one
  // file at once never split or overwrite each other's bytes. Refused when
  // `path` exists and is not a regular file. False with the reason.
  virtual bool AppendToFile(const std::string& path, const std::string& bytes, std::string& reason) = 0;
  // The user's folder for programs' data ($XDG_DATA_HOME, else
  // ~/.local/share; %LOCALAPPDATA% on Windows); empty when the system names
  // none.
  virtual std::string UserDataFolder() = 0;
  // The local date and time now.
  virtual std::tm LocalTimeNow() = 0;
  // `path` as the system writes paths for the operator (on Windows with
  // backslashes only, whichever separator the path was given with).
  virtual std::string ShownPath(const std::string& path) { return path; }
};

// The host system of the platform the station was built for.
HostSystem& PlatformHostSystem();

// Creates or replaces the regular file `path` with `content` in one step
// (CreateOutput, Write, Commit): it then holds either its old content or the
// new, whatever happens meanwhile. False with the reason; `path` is unchanged.
inline bool ReplaceWholeFile(HostSystem& system, const std::string& path, const std::string& content,
                             std::string& reason) {
  const std::unique_ptr<OutputFile> file = system.CreateOutput(path, reason);
  return file != nullptr &&
         file->Write(reinterpret_cast<const std::uint8_t*>(content.data()), content.size(), reason) &&
         file->Commit(reason);
}

// Why a path that exists cannot be used as a file, or "" when it can (it is
// missing or a regular file): the refusal text shared by every file the
// station reads or creates.
inline std::string NotARegularFileReason(PathKind kind) {
  if (kind == PathKind::Directory) return "это каталог, а не обычный файл";
  if (kind == PathKind::Other) return "это не обычный файл (канал, устройство или сокет)";
  return "";
}

}  // namespace rz
