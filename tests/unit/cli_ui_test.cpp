// The command line's live journal on a terminal: rows that have scrolled off
// the screen are not redrawn (the cursor cannot reach them).

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli_ui.h"

namespace rz::testing {
namespace {

class Terminal {
 public:
  explicit Terminal(unsigned short rows) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master_);
    ::unlockpt(master_);
    const int slave = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    winsize size{};
    size.ws_row = rows;
    size.ws_col = 80;
    ::ioctl(slave, TIOCSWINSZ, &size);
    ::fcntl(master_, F_SETFL, O_NONBLOCK);
    out_ = ::fdopen(slave, "w");
  }
  ~Terminal() {
    std::fclose(out_);
    ::close(master_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;
  std::FILE* Out() const { return out_; }
  // What reached the screen since the last call.
  std::string Take() {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }

 private:
  int master_ = -1;
  std::FILE* out_ = nullptr;
};

TEST(CliLiveJournal, RowsAboveTheScreenAreNotRedrawn) {
  Terminal terminal(10);
  cli::CliUi ui(terminal.Out(), stderr, true);
  for (int i = 0; i < 30; ++i) ui.AddJournalLine(0, "line " + std::to_string(i));
  terminal.Take();
  ui.SetJournalLine(5, "off the screen");
  EXPECT_EQ(terminal.Take(), "");
  ui.SetJournalLine(25, "on the screen");
  const std::string drawn = terminal.Take();
  EXPECT_NE(drawn.find("\033[4A"), std::string::npos);
  EXPECT_NE(drawn.find("on the screen"), std::string::npos);
  // Deleting a row redraws only the visible rows below it.
  ui.DeleteJournalLine(3);
  const std::string after = terminal.Take();
  EXPECT_EQ(after.find("line 10"), std::string::npos);
  EXPECT_NE(after.find("line 29"), std::string::npos);
  EXPECT_EQ(ui.JournalLineText(2), "line 2");
  EXPECT_EQ(ui.JournalLineText(3), "line 4");
}

}  // namespace
}  // namespace rz::testing
