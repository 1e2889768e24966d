#pragma once

#include <optional>
#include <string>

namespace rz {

// The text of a window's status line: what the station last said there and,
// after it, a remark that changes on its own time (how many finished units
// wait for the shared folder).
class StatusLineText {
 public:
  // The line to show once the station has set `status`.
  std::string SetStatus(std::string status) {
    status_ = std::move(status);
    return Text();
  }
  // The line to show when the remark is now `remark`; nothing when the line
  // stays as it is.
  std::optional<std::string> SetRemark(std::string remark) {
    if (remark == remark_) return std::nullopt;
    remark_ = std::move(remark);
    return Text();
  }
  std::string Text() const { return remark_.empty() ? status_ : status_ + "   [" + remark_ + "]"; }

 private:
  std::string status_;
  std::string remark_;
};

}  // namespace rz
