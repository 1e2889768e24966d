// rzstation-cli's run record and JUnit report end to end, against the
// simulated board.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "app/texts.h"
#include "app/ip_address.h"
#include "child_process.h"
#include "flash_script.h"
#include "loopback_udp.h"
#include "record_schema.h"
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
  ASSERT_EQ(run["units"].size(), 2u);  // port=COM2 begins the next board's unit
  std::vector<std::string> outcomes;
  std::vector<std::string> journal;
  for (const json& unit : run["units"]) for (const json& operation : unit["operations"]) {
    outcomes.push_back(operation["name"].get<std::string>() + " " + operation["outcome"].get<std::string>());
    for (const json& line : operation["journal"]) journal.push_back(line);
    EXPECT_LT(operation["start"].get<std::string>(), run["end"].get<std::string>());
  }
  EXPECT_EQ(outcomes, (std::vector<std::string>{"download success", "config success", "cpu success",
                                                "cpu refused", "port failed"}));
  // Between them the operations hold every line the run printed, in order.
  EXPECT_EQ(journal, Lines(result.out));

  // The board's identity is what its readout printed.
  const json& identity = run["units"][0]["identity"];
  const json& config = run["units"][0]["operations"][1]["journal"];
  const auto printed = [&](const std::string& value) {
    return std::any_of(config.begin(), config.end(), [&](const json& line) {
      const std::string text = line;
      return !value.empty() && text.size() > value.size() && text.compare(text.size() - value.size(), value.size(), value) == 0;
    });
  };
  EXPECT_TRUE(printed(identity["processor"]["uniqId"].get<std::string>()));
  EXPECT_TRUE(printed(identity["flash"]["part"].get<std::string>() + " <Bottom Boot>"));
  EXPECT_TRUE(MatchesRecordSchema(dir.File("run.json")));

  tinyxml2::XMLDocument junit;
  ASSERT_EQ(junit.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS) << junit.ErrorStr();
  const tinyxml2::XMLElement* suite = junit.RootElement()->FirstChildElement("testsuite");
  EXPECT_EQ(suite->IntAttribute("tests"), 4);
  EXPECT_EQ(suite->IntAttribute("failures"), 1);
}

// Two boards in one run: each unit holds its own board's operations and
// identity, the serial number given before it, and the run's labels.
TEST_F(RecordCliTest, TwoBoardsInOneRunAreTwoUnitsEachWithItsOwnResults) {
  StartBoard({"--cpu-id", "0x11111111,1,2,3,4", "--security-id", "0x5,0x6,0x7,0x8"});
  SimulatedBoard second(dir.File("COM2"), {"--cpu-id", "0x22222222,1,2,3,4", "--rtc-stopped"});
  const ProcessResult result =
      ChildProcess(Command({"--keep-going", "--station", "bench-3", "--operator", "Иванов", "--serial", "SN-1",
                            "download", "config", "rtc", "--serial", "SN-2", "port=COM2", "download", "config", "rtc"}))
          .Wait(std::chrono::seconds(90));  // each RTC test counts ten seconds
  EXPECT_EQ(result.exitCode, 1) << result.err;

  const json run = Record();
  EXPECT_TRUE(MatchesRecordSchema(dir.File("run.json")));
  EXPECT_EQ(run["station"]["name"], "bench-3");
  EXPECT_EQ(run["operator"], "Иванов");
  ASSERT_EQ(run["units"].size(), 2u);
  const struct {
    const char* serial;
    const char* uniqId;
    const char* port;
    std::vector<std::string> outcomes;
  } expected[] = {{"SN-1", "11111111", "COM1", {"download success", "config success", "rtc success"}},
                  {"SN-2", "22222222", "COM2", {"port success", "download success", "config success", "rtc failed"}}};
  for (std::size_t i = 0; i < 2; ++i) {
    const json& unit = run["units"][i];
    EXPECT_EQ(unit["serial"], expected[i].serial);
    EXPECT_EQ(unit["port"], expected[i].port);
    EXPECT_EQ(unit["identity"]["processor"]["uniqId"], expected[i].uniqId);
    EXPECT_EQ(unit["identity"]["flash"]["securityId"].size(), 4u);
    EXPECT_FALSE(unit["identity"]["ethernet"].is_null());
    EXPECT_EQ(unit["testProgram"]["size"], 4096);
    std::vector<std::string> outcomes;
    for (const json& operation : unit["operations"]) outcomes.push_back(operation["name"].get<std::string>() + " " +
                                                                         operation["outcome"].get<std::string>());
    EXPECT_EQ(outcomes, expected[i].outcomes);
  }
  EXPECT_EQ(run["units"][0]["identity"]["flash"]["securityId"][0], "00000005");
  EXPECT_EQ(run["units"][0]["outcome"], "success");
  EXPECT_EQ(run["units"][1]["outcome"], "failed");
  EXPECT_NE(run["units"][0]["unitId"], run["units"][1]["unitId"]);

  tinyxml2::XMLDocument junit;
  ASSERT_EQ(junit.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS) << junit.ErrorStr();
  std::vector<std::string> suites;
  for (const auto* suite = junit.RootElement()->FirstChildElement("testsuite"); suite;
       suite = suite->NextSiblingElement("testsuite")) {
    suites.push_back(std::string(suite->Attribute("name")) + " " + suite->Attribute("failures"));
  }
  EXPECT_EQ(suites, (std::vector<std::string>{"1: SN-1, Uniq_ID 11111111 0", "2: SN-2, Uniq_ID 22222222 1"}));
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
  // Each change of port began a unit; the download had not ended.
  ASSERT_EQ(run["units"].size(), 2u);
  for (const json& unit : run["units"]) {
    ASSERT_EQ(unit["operations"].size(), 1u);
    const json& operation = unit["operations"][0];
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

// A verified write reads back what it wrote, over either channel: the record
// then holds the digest of what the Flash holds, which is the image file's;
// a piece the board acknowledged without programming it fails the write with
// its address, after writing it again and erasing its block.
class VerifiedWriteTest : public RecordCliTest, public ::testing::WithParamInterface<bool> {
 protected:
  ProcessResult Write(std::vector<std::string> boardOptions) {
    const bool udp = GetParam();
    board.reset();
    StartBoard(std::move(boardOptions));
    std::vector<std::string> words{"--flash-service", "download"};
    if (udp) {
      words.insert(words.end(), {"--local-address", FormatIpv4(pair.station), "ethernet=on:" + FormatIpv4(pair.board)});
    } else {
      words.push_back("--verify");
    }
    words.push_back("write=" + dir.File("image.bin"));
    return ChildProcess(Command(words)).Wait(std::chrono::seconds(120));
  }
  json WriteOperation() {
    const json run = Record();
    for (const json& operation : run["units"][0]["operations"]) {
      if (operation["name"] == "write") return operation;
    }
    return nullptr;
  }
  LoopbackPair pair = NextLoopbackPair();
};

TEST_P(VerifiedWriteTest, TheRecordHoldsTheFlashDigestAndAnUnwrittenPieceFails) {
  dir.Write("image.bin", Pattern(1048576, 5));
  ProcessResult result = Write({});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find(" Запись Flash: 100%\n Проверка Flash: 100%\n"), std::string::npos) << result.out;
  json write = WriteOperation();
  EXPECT_EQ(write["check"]["bytes"], 1048576);
  EXPECT_TRUE(write["check"]["matches"].get<bool>());
  EXPECT_EQ(write["check"]["flashSha256"], write["transfer"]["sha256"]);
  EXPECT_TRUE(MatchesRecordSchema(dir.File("run.json")));

  result = Write({"--flash-ack-without-write", "3"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.out.find(" Проверка Flash: 100% *Ошибка проверки\n *Адрес 000600: записано "), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find(", прочитано FFFFFFFF\n"), std::string::npos);
  write = WriteOperation();
  EXPECT_EQ(write["outcome"], "failed");
  EXPECT_FALSE(write["check"]["matches"].get<bool>());
  EXPECT_EQ(write["check"]["differingPieces"], 1);
  EXPECT_EQ(write["check"]["firstDifferingAddresses"], json({"0x000600"}));
  EXPECT_GT(write["check"]["piecesWrittenAgain"].get<int>(), 1);
  EXPECT_NE(write["check"]["flashSha256"], write["transfer"]["sha256"]);
  EXPECT_TRUE(MatchesRecordSchema(dir.File("run.json")));
}

INSTANTIATE_TEST_SUITE_P(Channels, VerifiedWriteTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& channel) { return channel.param ? "Udp" : "Com"; });

TEST_F(RecordCliTest, HistoryKeepsEachBoardAndTheNextReadoutShowsItsPast) {
  StartBoard();
  const std::string history = dir.File("history");
  std::vector<std::vector<std::string>> journals;
  for (const char* serial : {"SN-1", "SN-2"}) {
    const ProcessResult result =
        ChildProcess(Command({"--history", history, "--serial", serial, "download", "config"})).Wait();
    ASSERT_EQ(result.exitCode, 0) << result.err;
    journals.push_back(Lines(result.out));
  }
  // The second readout's lines are the first's, then the board's past.
  const std::vector<std::string> past = {
      " История: проверялась 1 раз, последний раз ",
      " *Внимание: этот Uniq_ID прежде был с другим серийным номером (SN-1)"};
  ASSERT_EQ(journals[1].size(), journals[0].size() + 1);
  EXPECT_TRUE(std::equal(journals[0].begin(), journals[0].end() - 1, journals[1].begin()));
  EXPECT_EQ(journals[0].back(), " История: плата с этим Uniq_ID на станциях прежде не проверялась");
  EXPECT_EQ(journals[1][journals[1].size() - 2].rfind(past[0], 0), 0u) << journals[1][journals[1].size() - 2];
  EXPECT_EQ(journals[1].back(), past[1]);

  // The unit file is the record's unit with the run's labels beside it.
  const json run = Record();
  const std::string uniqId = run["units"][0]["identity"]["processor"]["uniqId"];
  const ProcessResult listed = ChildProcess({RZ_CLI_PATH, "history", "--board", uniqId, "--history", history}).Wait();
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  const std::vector<std::string> rows = Lines(listed.out);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_NE(rows[0].find("  SN-1  success  "), std::string::npos) << rows[0];
  const std::string file = rows[1].substr(rows[1].rfind("  ") + 2);
  json unit = json::parse(dir.Read(file.substr(dir.Path().size() + 1)));
  EXPECT_EQ(unit["station"], run["station"]);
  for (const char* label : {"station", "operator", "host", "schemaVersion"}) unit.erase(label);
  EXPECT_EQ(unit, run["units"][0]);
  EXPECT_EQ(ChildProcess({RZ_CLI_PATH, "history", "--serial", "SN-3", "--history", history}).Wait().exitCode, 1);
}

TEST_F(RecordCliTest, HistoryGoesIntoTheUserDataFolderUnlessTurnedOff) {
  StartBoard();
  const std::string data = dir.File("data");
  const auto run = [&](const char* option) {
    std::vector<std::string> args = Command({option, "download"});
    args.insert(args.begin(), {"/usr/bin/env", "XDG_DATA_HOME=" + data});
    return ChildProcess(args).Wait();
  };
  ProcessResult result = run("--no-history");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(std::filesystem::exists(data));
  result = run("--keep-going");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(dir.Read("data/rzstation/history/index.jsonl")).size(), 1u);
}

TEST_F(RecordCliTest, ListPortsNeedsNoOperation) {
  const ProcessResult result = ChildProcess({RZ_CLI_PATH, "--list-ports"}).Wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_FALSE(result.out.empty());
}

}  // namespace
}  // namespace rz::testing
