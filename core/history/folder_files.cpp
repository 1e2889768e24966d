#include "history/folder_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/host_system.h"

namespace rz {

bool ReadFileFrom(const std::string& path, std::uint64_t from, std::string& text) {
  std::ifstream in(Utf8Path(path), std::ios::binary | std::ios::ate);
  if (!in || static_cast<std::uint64_t>(in.tellg()) < from) return false;
  in.seekg(static_cast<std::streamoff>(from));
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool UnitFilesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(Utf8Path(folder), error)) {
    const std::u8string name8 = item.path().filename().u8string();
    const std::string name(name8.begin(), name8.end());
    std::error_code ignored;
    if (!item.is_regular_file(ignored) || item.path().extension() != ".json" || name.front() == '.') continue;
    names.push_back(name);
  }
  if (error) reason = error.message();
  return !error;
}

}  // namespace rz
