#include "forward_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace rz::collect {
namespace {

namespace fs = std::filesystem;

std::string Path(const std::string& folder, const std::string& name) { return (fs::path(folder) / name).string(); }

}  // namespace

bool IsUnitFileName(const std::string& name) {
  constexpr std::string_view kSuffix = ".json";
  return !name.empty() && name.front() != '.' && name.size() > kSuffix.size() &&
         name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

bool WaitingFiles(const std::string& folder, std::vector<std::string>& names, std::string& error) {
  names.clear();
  std::error_code code;
  fs::directory_iterator item(folder, code);
  for (; !code && item != fs::directory_iterator(); item.increment(code)) {
    const std::string name = item->path().filename().string();
    std::error_code kindCode;
    if (IsUnitFileName(name) && item->is_regular_file(kindCode)) names.push_back(name);
  }
  if (code) {
    error = "cannot read the forward folder " + folder + ": " + code.message();
    return false;
  }
  std::sort(names.begin(), names.end());
  return true;
}

bool MakeFolders(const Folders& folders, std::string& error) {
  for (const std::string& folder : {folders.archive, folders.quarantine}) {
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
      error = "cannot create the folder " + folder + ": " + code.message();
      return false;
    }
  }
  return true;
}

bool ReadFile(const std::string& path, std::uintmax_t maxBytes, std::string& text, std::string& error) {
  std::error_code code;
  const std::uintmax_t size = fs::file_size(path, code);
  if (!code && size > maxBytes) {
    error = "larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  if (file) content << file.rdbuf();
  if (!file || file.bad()) {
    error = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  text = std::move(content).str();
  return true;
}

bool MoveFile(const Folders& folders, const std::string& folder, const std::string& name, std::string& error) {
  std::error_code code;
  fs::rename(Path(folders.forward, name), Path(folder, name), code);
  if (code) error = "cannot move " + name + " into " + folder + ": " + code.message();
  return !code;
}

bool Quarantine(const Folders& folders, const std::string& name, const std::string& reason, std::string& error) {
  const std::string reasonPath = Path(folders.quarantine, name + ".reason.txt");
  std::ofstream file(reasonPath, std::ios::binary | std::ios::trunc);
  file << reason << '\n';
  file.close();
  if (!file) {
    error = "cannot write " + reasonPath;
    return false;
  }
  return MoveFile(folders, folders.quarantine, name, error);
}

}  // namespace rz::collect
