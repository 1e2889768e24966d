#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace rz::testing {

// A temporary working directory of this user's own, removed at the end.
class TempDir {
 public:
  TempDir() {
    namespace fs = std::filesystem;
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto tick = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
      const unsigned tag = random() ^ tick ^ (counter.fetch_add(1) * 2654435761u);
      const fs::path candidate = base / ("rz-test-" + Hex(tag));
      std::error_code error;
      // create_directory is false for a name that exists: only a new one is ours.
      if (fs::create_directory(candidate, error)) {
        fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
        path_ = candidate.string();
      }
    }
  }
  ~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  static std::string Hex(unsigned value) {
    static const char digits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = digits[value & 0xF];
    return text;
  }

  std::string path_;
};

}  // namespace rz::testing
