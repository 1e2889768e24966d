// rzstation-cli's run record and JUnit report end to end, against the
// simulated board.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "app/texts.h"
#include "child_process.h"
#include "simulated_board.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using nlohmann::json;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

class RecordCliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("tst7312v26.bin", TestProgramBytes(4096)); }
  void StartBoard(std::vector<std::string> options = {}) {
    board = std::make_unique<SimulatedBoard>(dir.File("COM1"), std::move(options));
  }
  std::vector<std::string> Command(std::vector<std::string> rest) {
    std::vector<std::string> args{RZ_CLI_PATH,     "--workdir",      dir.Path(), "--com1", dir.File("COM1"),
                                  "--com2",        dir.File("COM2"), "--record", dir.File("run.json"),
                                  "--junit",       dir.File("run.xml")};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
  }
  json Record() { return json::parse(dir.Read("run.json")); }

  TempDir dir;
  std::unique_ptr<SimulatedBoard> board;
};

TEST_F(RecordCliTest, RecordOfARunWithAFailureMatchesTheJournalAndTheBoard) {
  StartBoard();
  const ProcessResult result = ChildProcess(Command({"--keep-going", "download", "config", "cpu=90", "cpu=90",
                                                     "port=COM2"})).Wait();
  EXPECT_EQ(result.exitCode, 1) << result.err;

  const json run = Record();
  EXPECT_TRUE(run["complete"].get<bool>());
  EXPECT_EQ(run["station"]["program"], "rzstation-cli");
  EXPECT_EQ(run["ports"]["COM1"], dir.File("COM1"));
  EXPECT_EQ(run["options"]["serviceCom"], "v7");
  EXPECT_FALSE(run["options"]["flashServiceMode"].get<bool>());
  std::vector<std::string> outcomes;
  std::vector<std::string> journal;
  for (const json& operation : run["operations"]) {
    outcomes.push_back(operation["name"].get<std::string>() + " " + operation["outcome"].get<std::string>());
    for (const json& line : operation["journal"]) journal.push_back(line);
    EXPECT_LT(operation["start"].get<std::string>(), run["end"].get<std::string>());
  }
  EXPECT_EQ(outcomes, (std::vector<std::string>{"download success", "config success", "cpu success",
                                                "cpu refused", "port failed"}));
  // Between them the operations hold every line the run printed, in order.
  EXPECT_EQ(journal, Lines(result.out));

  // The board's identity is what its readout printed.
  const json& identity = run["board"];
  const json& config = run["operations"][1]["journal"];
  const auto printed = [&](const std::string& value) {
    return std::any_of(config.begin(), config.end(), [&](const json& line) {
      const std::string text = line;
      return !value.empty() && text.size() > value.size() && text.compare(text.size() - value.size(), value.size(), value) == 0;
    });
  };
  for (const char* field : {"processor", "uniqId", "randomId", "sdramSize", "flashType"}) {
    EXPECT_TRUE(printed(identity[field].get<std::string>())) << field << ": " << identity[field];
  }
  EXPECT_EQ(identity["uniqId"].get<std::string>().size(), 8u);

  tinyxml2::XMLDocument junit;
  ASSERT_EQ(junit.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS) << junit.ErrorStr();
  const tinyxml2::XMLElement* suite = junit.RootElement()->FirstChildElement("testsuite");
  EXPECT_EQ(suite->IntAttribute("tests"), 5);
  EXPECT_EQ(suite->IntAttribute("failures"), 2);
}

TEST_F(RecordCliTest, KilledInItsThirdOperationTheRunKeepsTheFirstTwo) {
  StartBoard({"--no-auto-reset"});
  ChildProcess cli(Command({"port=COM1", "port=COM1", "download"}), ChildOutput::Terminal);
  ASSERT_TRUE(cli.AwaitOutput(text::kPressReset));
  cli.Signal(SIGKILL);
  cli.Wait();
  EXPECT_EQ(cli.TermSignal(), SIGKILL);

  const json run = Record();
  EXPECT_FALSE(run["complete"].get<bool>());
  EXPECT_TRUE(run["end"].is_null());
  ASSERT_EQ(run["operations"].size(), 2u);
  for (const json& operation : run["operations"]) {
    EXPECT_EQ(operation["name"], "port");
    EXPECT_EQ(operation["outcome"], "success");
    EXPECT_FALSE(operation["journal"].empty());
  }
  tinyxml2::XMLDocument junit;
  EXPECT_EQ(junit.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS);
}

TEST_F(RecordCliTest, RecordThatCannotBeWrittenStopsTheRunBeforeItStarts) {
  StartBoard();
  for (const std::string option : {"--record", "--junit"}) {
    const std::string bad = dir.File("missing/run");
    const ProcessResult result =
        ChildProcess({RZ_CLI_PATH, "--workdir", dir.Path(), "--com1", dir.File("COM1"), option, bad, "config"}).Wait();
    EXPECT_EQ(result.exitCode, 2) << option;
    EXPECT_NE(result.err.find(bad), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.Read("vesk_rz.log"), "");  // nothing ran, not even the log at the end
  }
}

TEST_F(RecordCliTest, ListPortsNeedsNoOperation) {
  const ProcessResult result = ChildProcess({RZ_CLI_PATH, "--list-ports"}).Wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(result.out.empty());
}

}  // namespace
}  // namespace rz::testing
