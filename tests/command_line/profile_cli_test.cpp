// rzstation-cli --profile end to end: the sample profile's verdicts against
// simulated boards built wrong in one way each.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <fstream>

#include <nlohmann/json.hpp>

#include "child_process.h"
#include "record_schema.h"
#include "simulated_board.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using nlohmann::json;

// A signed image: "VESK", the bytes, and the byte that makes the file's XOR 0.
std::string SignedImage(std::size_t bytes) {
  std::string image = "VESK";
  for (std::size_t i = 0; i < bytes; ++i) image += static_cast<char>((i * 7 + 3) & 0xFF);
  char sum = 0;
  for (const char c : image) sum = static_cast<char>(sum ^ c);
  return image + sum;
}

class ProfileCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("tst7312v26.bin", TestProgramBytes(4096));
    const std::string image = SignedImage(200000);
    dir.Write("firmware.rzi", std::vector<std::uint8_t>(image.begin(), image.end()));
    std::ifstream in(RZ_SAMPLE_PROFILE);
    sample = json::parse(in);
  }
  // The sample profile with another sequence and some limits changed.
  std::string Profile(const json& sequence, const json& limits = json::object()) {
    json profile = sample;
    profile.erase("$schema");
    if (!sequence.is_null()) profile["sequence"] = sequence;
    for (const auto& [name, limit] : limits.items()) profile["limits"][name] = limit;
    WriteText("profile.json", profile.dump());
    return dir.File("profile.json");
  }
  ProcessResult Run(const std::string& profile, std::vector<std::string> rest = {}) {
    std::vector<std::string> args{RZ_CLI_PATH, "--workdir", dir.Path(), "--com1", dir.File("COM1"),
                                  "--record", dir.File("run.json"), "--junit", dir.File("run.xml"),
                                  "--profile", profile};
    args.insert(args.end(), rest.begin(), rest.end());
    return ChildProcess(args).Wait(std::chrono::minutes(3));
  }
  json Record() { return json::parse(dir.Read("run.json")); }
  void WriteText(const std::string& name, const std::string& text) {
    dir.Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  TempDir dir;
  json sample;
  std::unique_ptr<SimulatedBoard> board;
};

TEST_F(ProfileCliTest, TheSampleProfileIsValidAndAGoodBoardPasses) {
  EXPECT_TRUE(MatchesSchema(RZ_SAMPLE_PROFILE, RZ_PROFILE_SCHEMA));
  board = std::make_unique<SimulatedBoard>(dir.File("COM1"));
  const ProcessResult result = Run(RZ_SAMPLE_PROFILE, {"--serial", "SN-1"});
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("verdict board=1 serial=SN-1 result=PASS failing=-"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(" ==== RZ controller board: ГОДЕН ===="), std::string::npos);
  EXPECT_TRUE(MatchesRecordSchema(dir.File("run.json")));
  const json unit = Record()["units"][0];
  EXPECT_EQ(unit["verdict"]["result"], "PASS");
  EXPECT_EQ(unit["serial"], "SN-1");
  // Every limit of the sample was measured and kept.
  std::size_t limited = 0;
  for (const json& measurement : unit["measurements"]) {
    if (measurement["limit"].is_null()) continue;
    ++limited;
    EXPECT_EQ(measurement["result"], "pass") << measurement.dump();
  }
  EXPECT_GE(limited, sample["limits"].size());
}

// One board built wrong in one way, and the measurement that must name it.
struct WrongBuild {
  const char* name;
  std::vector<std::string> boardOptions;
  json sequence;
  json limits;
  const char* failing;
};

class WrongBuildTest : public ProfileCliTest, public ::testing::WithParamInterface<WrongBuild> {};

TEST_P(WrongBuildTest, FailsNamingTheMeasurementInRecordAndJUnit) {
  const WrongBuild& build = GetParam();
  board = std::make_unique<SimulatedBoard>(dir.File("COM1"), build.boardOptions);
  const ProcessResult result = Run(Profile(build.sequence, build.limits));
  EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
  EXPECT_NE(result.out.find(" ==== RZ controller board: БРАК ===="), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(std::string(" *") + build.failing + " = "), std::string::npos) << result.out;
  EXPECT_TRUE(MatchesRecordSchema(dir.File("run.json")));
  const json verdict = Record()["units"][0]["verdict"];
  EXPECT_EQ(verdict["result"], "FAIL");
  EXPECT_NE(std::find(verdict["failing"].begin(), verdict["failing"].end(), build.failing), verdict["failing"].end())
      << verdict.dump();

  // JUnit: the measurement's test case fails with its value and limit.
  tinyxml2::XMLDocument xml;
  ASSERT_EQ(xml.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS);
  bool found = false;
  for (auto* test = xml.RootElement()->FirstChildElement("testsuite")->FirstChildElement("testcase"); test != nullptr;
       test = test->NextSiblingElement("testcase")) {
    if (std::string(test->Attribute("name")) != build.failing) continue;
    const auto* failure = test->FirstChildElement("failure");
    ASSERT_NE(failure, nullptr);
    EXPECT_NE(std::string(failure->Attribute("message")).find(", limit "), std::string::npos);
    found = true;
  }
  EXPECT_TRUE(found) << build.failing;
}

INSTANTIATE_TEST_SUITE_P(
    Sample, WrongBuildTest,
    ::testing::Values(
        WrongBuild{"FlashDevice", {"--flash-device", "0x1234"}, json{"download", "config"}, {}, "config.flash.part"},
        WrongBuild{"SdramWord", {"--sdram-config", "0x002"}, json{"download", "config", "sdram"}, {},
                   "config.sdram.totalMegabytes"},
        WrongBuild{"SdramUntested", {"--sdram-config", "0x002"}, json{"download", "sdram"}, {},
                   "sdram.testedMegabytes"},
        WrongBuild{"EthernetVoltage", {"--eth-voltage", "0"}, json{"download", "config"}, {},
                   "config.ethernet.supplyMillivolts"},
        WrongBuild{"RtcStopped", {"--rtc-stopped"}, json{"download", "rtc"}, {}, "rtc.differenceSeconds"},
        WrongBuild{"ExtComErrors", {"--ext-status", "3:0x01"}, json{"download", "ext-com:cycles=2"}, {},
                   "ext-com.errors[3]"},
        WrongBuild{"SlowWrite", {"--flash-write-delay", "2"}, json{"download", "write=firmware.rzi"},
                   json{{"write.seconds", {{"max", 0.5}}}}, "write.seconds"}),
    [](const ::testing::TestParamInfo<WrongBuild>& param) { return param.param.name; });

TEST_F(ProfileCliTest, ABoardThatStopsAnsweringEndsByItsTimeLimitAndTheNextBoardIsTested) {
  board = std::make_unique<SimulatedBoard>(dir.File("COM1"), std::vector<std::string>{"--sdram-silent-from", "3"});
  const std::string profile =
      Profile(json{"download", "config", {{"operation", "sdram"}, {"timeLimitSeconds", 2}}});
  const ProcessResult result = Run(profile, {"--boards", "2", "--silence-limit", "0", "--serial", "A", "--serial", "B"});
  EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
  EXPECT_NE(result.out.find("verdict board=1 serial=A result=INCOMPLETE failing=sdram"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("verdict board=2 serial=B result=INCOMPLETE failing=sdram"), std::string::npos);
  EXPECT_NE(result.out.find(" *sdram: превышено время 2 с"), std::string::npos);
  const json units = Record()["units"];
  ASSERT_EQ(units.size(), 2u);
  for (const json& unit : units) {
    EXPECT_EQ(unit["verdict"]["result"], "INCOMPLETE");
    EXPECT_EQ(unit["operations"][1]["outcome"], "success");  // each board's readout answered
  }
}

TEST_F(ProfileCliTest, AProfileThatMakesNoSenseStopsTheRunBeforeTheBoard) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {R"({"product": "x", "sequence": ["sdramm"]})", "sequence[0]"},
      {R"({"product": "x", "sequence": ["sdram"], "limits": {"sdram.errors": {"max": "0"}}})", "limits.sdram.errors"},
      {R"({"product": "x", "sequence": [{"operation": "rtc", "timeLimitSeconds": -1}]})", "timeLimitSeconds"},
      {R"({"product": "x", "sequence": ["rtc"], "limit": {}})", "unknown key 'limit'"},
      {"{not json", "profile"}};
  for (const auto& [text, expected] : cases) {
    WriteText("bad.json", text);
    const ProcessResult result = Run(dir.File("bad.json"));
    EXPECT_EQ(result.exitCode, 2) << text;
    EXPECT_NE(result.err.find(expected), std::string::npos) << text << "\n" << result.err;
  }
}

}  // namespace
}  // namespace rz::testing
