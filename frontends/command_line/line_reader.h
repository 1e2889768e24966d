#pragma once

#include <string>
#include <vector>

#include "cli_platform.h"

namespace rz::cli {

// Reads lines from a descriptor (a terminal or console, or a pipe),
// looking every 100 ms whether the caller wants to stop waiting. A line longer
// than kMaxLine is cut there; the rest of it is dropped.
class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 1024;
  enum class Status { Line, End, Stopped };

  explicit LineReader(int fd) : fd_(fd) {}

  template <typename Stop>
  Status Read(std::string& line, Stop stop) {
    for (;;) {
      if (TakeLine(line)) return Status::Line;
      if (end_) {
        if (pending_.empty() && !dropping_) return Status::End;
        line.swap(pending_);
        pending_.clear();
        dropping_ = false;
        return Status::Line;
      }
      if (stop()) return Status::Stopped;
      char bytes[256];
      const long n = ReadInput(fd_, bytes, sizeof bytes, kPollMs);
      if (n < 0) end_ = true;
      for (long i = 0; i < n; ++i) Append(bytes[i]);
    }
  }

 private:
  static constexpr int kPollMs = 100;

  void Append(char c) {
    if (c == '\n') {
      ready_.push_back(pending_);
      pending_.clear();
      dropping_ = false;
      return;
    }
    if (pending_.size() >= kMaxLine) {
      dropping_ = true;
      return;
    }
    if (c != '\r') pending_.push_back(c);
  }

  bool TakeLine(std::string& line) {
    if (ready_.empty()) return false;
    line = ready_.front();
    ready_.erase(ready_.begin());
    return true;
  }

  int fd_;
  bool end_ = false;
  bool dropping_ = false;
  std::string pending_;
  std::vector<std::string> ready_;
};

}  // namespace rz::cli
