// The window programs' command line.

#include <gtest/gtest.h>

#include "app/window_options.h"

namespace rz {
namespace {

TEST(WindowOptions, BothSpellingsAndTheDefaultsKept) {
  WindowOptions options;
  options.portPaths = {"COM1", "COM2"};
  std::string error;
  ASSERT_TRUE(ParseWindowOptions({"--workdir", "C:\\rz", "--com2=COM7", "--local-address=127.0.0.1", "--record",
                                  "run.json", "--history=/srv/h", "--no-history"},
                                 options, error))
      << error;
  EXPECT_EQ(options.historyDir, "/srv/h");
  EXPECT_TRUE(options.noHistory);
  EXPECT_EQ(options.workDir, "C:\\rz");
  EXPECT_EQ(options.portPaths.com1, "COM1");
  EXPECT_EQ(options.portPaths.com2, "COM7");
  EXPECT_EQ(options.localAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
  EXPECT_EQ(options.recordPath, "run.json");
  EXPECT_FALSE(options.help);
}

TEST(WindowOptions, MistakesAreNamed) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--port", "COM1"}, "unknown argument '--port'"},
      {{"download"}, "unknown argument 'download'"},
      {{"--com1"}, "--com1 needs a value"},
      {{"--workdir="}, "--workdir needs a non-empty value"},
      {{"--local-address", "192.168.2"}, "--local-address takes an IPv4 address such as 192.168.2.1, not '192.168.2'"},
  };
  for (const auto& c : cases) {
    WindowOptions options;
    std::string error;
    EXPECT_FALSE(ParseWindowOptions(c.args, options, error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
  WindowOptions options;
  std::string error;
  EXPECT_TRUE(ParseWindowOptions({"-h"}, options, error));
  EXPECT_TRUE(options.help);
}

}  // namespace
}  // namespace rz
