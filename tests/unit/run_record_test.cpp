// The run record: the observer seam of StartOperation, the record's content,
// its atomic files and the JUnit report, over a recording window.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <cctype>
#include <set>
#include <sstream>

#include "app/texts.h"
#include "boardtests/configuration_decode.h"
#include "operations/operation_table.h"
#include "record/record_host.h"
#include "record/run_record.h"
#include "record/xml_writer.h"
#include "record_schema.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using nlohmann::json;

// Workers of the made-up operations below (the table's own would need a board).
Outcome AddsALongLineAndFails(Station& station) {
  station.Ui().AddJournalLine(0, std::string(150, 'x') + "|end");
  return Outcome::Failed;
}
Outcome Aborts(Station& station) {
  station.Ui().AddJournalLine(0, " bad bytes \x01\xff <&>]]>");
  return Outcome::Aborted;
}
Outcome TransfersAbc(Station& station) {
  station.transferFile = station.workDir + "abc.bin";
  std::ofstream(station.transferFile, std::ios::binary) << "abc";
  station.Ui().AddJournalLine(0, " transferred");
  return Outcome::Success;
}
// A readout as the record sees it: values handed over, journal text that
// merely looks like an identity.
BoardIdentity ReadBoard() {
  BoardIdentity board;
  board.processor = DecodeCpu({0x0c7312a5, {1, 2, 3, 4}}, kCpuEntry90);
  board.sdram = DecodeSdram(0x142);
  board.flash = DecodeFlash({32, 0x1F, 0xC8, 0x00510051, {5, 6, 7, 8}});
  board.ethernet = DecodeEthernet({1, 1, 0x300, 2, 0});
  return board;
}
Outcome DescribesTheBoard(Station& station) {
  station.Ui().AddJournalLine(0, text::kCpuHeading);
  station.Ui().AddJournalLine(0, " Uniq_ID: not the board's");
  station.results->BoardIdentified(ReadBoard());
  return Outcome::Success;
}
Outcome ReadsOnlyTheCpu(Station& station) {
  BoardIdentity board;
  board.processor = DecodeCpu({0xdeadbeef, {}}, kCpuEntry74);
  station.results->BoardIdentified(board);
  return Outcome::Failed;
}
Outcome Succeeds(Station&) { return Outcome::Success; }
StartResult OpensAWindow(Station&, const OperationRow&, const OperationArgs*) { return StartResult::Started; }
const char* AlwaysRefused(Station&) { return text::kNotAvailable; }

const OperationRow kFails{.button = Button::Sdram, .worker = &AddsALongLineAndFails, .cliWord = "sdram"};
const OperationRow kAborts{.button = Button::Rtc, .worker = &Aborts, .cliWord = "rtc"};
const OperationRow kTransfer{.button = Button::FlashToFile, .worker = &TransfersAbc, .cliWord = "read"};
const OperationRow kConfig{.button = Button::Configuration, .worker = &DescribesTheBoard, .cliWord = "config"};
const OperationRow kCpuOnly{.button = Button::Configuration, .worker = &ReadsOnlyTheCpu, .cliWord = "config"};
const OperationRow kWindow{.button = Button::Debug, .start = &OpensAWindow};
const OperationRow kRefused{.button = Button::Flash, .worker = &Aborts, .refusal = &AlwaysRefused};
const OperationRow kSerialOnly{.button = Button::Ethernet, .worker = &Aborts, .cliWord = "ethernet"};
const OperationRow kMissing{.button = Button::ServiceCom};
const OperationRow kDownload{.button = Button::Download, .worker = &Succeeds, .cliWord = "download"};
const OperationRow kPort{.control = ControlKind::PortSelector, .worker = &Succeeds, .cliWord = "port"};

class RunRecordTest : public ScriptedStation {
 protected:
  void SetUp() override {
    StartWithProgram(1024);
    files = {dir.File("run.json"), dir.File("run.xml")};
    std::string error;
    ASSERT_TRUE(record.Open(files, error)) << error;
    station.observer = &record;
    station.results = &record;
  }
  void Use(const OperationRow& row, const OperationArgs* args = nullptr) {
    StartOperation(station, row, args);
    AwaitOutcome(station, row.cliWord != nullptr ? row.cliWord : "an operation");
  }
  json ReadJson() { return json::parse(dir.Read("run.json")); }

  RunRecord record{station, "rz-test"};
  RecordFiles files;
};

TEST_F(RunRecordTest, EveryOperationWithItsOutcomeAndItsWholeJournalLines) {
  ui.AddJournalLine(0, " before the run");
  EXPECT_EQ(ReadJson()["units"].size(), 0u);
  EXPECT_FALSE(ReadJson()["complete"].get<bool>());

  Use(kFails);
  Use(kAborts);
  Use(kWindow);
  Use(kRefused);
  ui.ethernet = true;
  Use(kSerialOnly);
  ui.ethernet = false;
  Use(kMissing);

  const json run = ReadJson();
  EXPECT_EQ(run, record.Json());  // the file is the record as it stands
  ASSERT_EQ(run["units"].size(), 1u);  // no download: one unit, not named by one
  const json& unit = run["units"][0];
  EXPECT_FALSE(unit["downloaded"].get<bool>());
  EXPECT_EQ(unit["outcome"], "failed");
  const json& operations = unit["operations"];
  ASSERT_EQ(operations.size(), 6u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"sdram", "failed"}, {"rtc", "aborted"}, {text::kButtonCaptions[8], "success"},
      {text::kButtonCaptions[4], "refused"}, {"ethernet", "refused"}, {text::kButtonCaptions[2], "refused"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(operations[i]["name"], expected[i].first) << i;
    EXPECT_EQ(operations[i]["outcome"], expected[i].second) << i;
    EXPECT_GE(operations[i]["durationSeconds"].get<double>(), 0.0);
    EXPECT_FALSE(operations[i].contains("transfer"));
  }
  // Only the operation's own lines, the long one whole (the log cuts it).
  EXPECT_EQ(operations[0]["journal"], json::array({std::string(150, 'x') + "|end"}));
  EXPECT_EQ(operations[3]["journal"], json::array());
  // Bytes that are not UTF-8 are replaced, the rest kept.
  EXPECT_EQ(operations[1]["journal"][0], " bad bytes \x01\xEF\xBF\xBD <&>]]>");
  for (const char* section : {"processor", "sdram", "flash", "ethernet"}) EXPECT_TRUE(unit["identity"][section].is_null());
  EXPECT_EQ(run["schemaVersion"], kRecordSchemaVersion);
  EXPECT_EQ(run["station"]["program"], "rz-test");
  EXPECT_EQ(run["ports"]["COM1"], "COM1-device");

  std::string error;
  ASSERT_TRUE(record.Finish(error)) << error;
  EXPECT_TRUE(ReadJson()["complete"].get<bool>());
  EXPECT_TRUE(ReadJson()["end"].is_string());
  EXPECT_TRUE(MatchesRecordSchema(files.json));
  // The temporary files are gone.
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    leftovers += entry.path().filename().string().find(".tmp") != std::string::npos;
  }
  EXPECT_EQ(leftovers, 0);
}

TEST_F(RunRecordTest, TransfersGetTheirFileSizeAndHashAndConfigTheBoard) {
  Use(kTransfer);
  Use(kConfig);
  Use(kFails);  // the transfer file is not carried over to the next operation

  const json run = ReadJson();
  const json& operations = run["units"][0]["operations"];
  const json& transfer = operations[0]["transfer"];
  EXPECT_EQ(transfer["file"], dir.File("abc.bin"));
  EXPECT_EQ(transfer["size"], 3);
  EXPECT_EQ(transfer["sha256"], "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_FALSE(operations[2].contains("transfer"));

  // The values handed over; the journal's own text plays no part.
  const json& board = run["units"][0]["identity"];
  EXPECT_EQ(board["processor"], json({{"type", "EP7312"},
                                      {"clockMhz", 90},
                                      {"uniqId", "0c7312a5"},
                                      {"randomId", {"00000001", "00000002", "00000003", "00000004"}}}));
  EXPECT_EQ(board["sdram"]["totalMegabytes"], 32);
  EXPECT_EQ(board["sdram"]["chipWidthBits"], 16);
  EXPECT_EQ(board["flash"]["maker"], "Atmel");
  EXPECT_EQ(board["flash"]["part"], "AT49BV322A");
  EXPECT_EQ(board["flash"]["bootBlock"], "bottom");
  EXPECT_EQ(board["flash"]["securityId"], json({"00000005", "00000006", "00000007", "00000008"}));
  EXPECT_EQ(board["ethernet"], json({{"eeprom", true}, {"fullDuplex", true}, {"baseAddress", "0300"},
                                     {"interrupt", "IRQ2"}, {"supplyVolts", 5.0}}));

  // A later readout of the same board replaces only the sections it read.
  Use(kCpuOnly);
  const json merged = ReadJson()["units"][0]["identity"];
  EXPECT_EQ(merged["processor"]["uniqId"], "deadbeef");
  EXPECT_EQ(merged["flash"], board["flash"]);
  EXPECT_EQ(merged["ethernet"], board["ethernet"]);
}

TEST_F(RunRecordTest, JUnitReportParsesWithOneCasePerOperation) {
  Use(kTransfer);
  Use(kAborts);
  Use(kRefused);
  Use(kConfig);

  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS) << document.ErrorStr();
  const tinyxml2::XMLElement* suite = document.RootElement()->FirstChildElement("testsuite");
  ASSERT_NE(suite, nullptr);
  EXPECT_EQ(suite->IntAttribute("tests"), 4);
  EXPECT_EQ(suite->IntAttribute("failures"), 2);
  std::vector<std::string> names;
  std::vector<std::string> failures;
  for (const auto* c = suite->FirstChildElement("testcase"); c; c = c->NextSiblingElement("testcase")) {
    names.push_back(c->Attribute("name"));
    const auto* failure = c->FirstChildElement("failure");
    failures.push_back(failure != nullptr ? failure->Attribute("type") : "");
  }
  EXPECT_EQ(names, (std::vector<std::string>{"1 read", "2 rtc", "3 " + std::string(text::kButtonCaptions[4]),
                                             "4 config"}));
  EXPECT_EQ(failures, (std::vector<std::string>{"", "aborted", "refused", ""}));
  // The journal is each case's output, with what XML cannot hold replaced.
  const auto* aborted = suite->FirstChildElement("testcase")->NextSiblingElement("testcase");
  EXPECT_STREQ(aborted->FirstChildElement("system-out")->GetText(),
               " bad bytes \xEF\xBF\xBD\xEF\xBF\xBD <&>]]>\n");
  bool hasUniqId = false;
  for (const auto* p = suite->FirstChildElement("properties")->FirstChildElement("property"); p;
       p = p->NextSiblingElement("property")) {
    hasUniqId |= std::string(p->Attribute("name")) == "board.uniqId" && std::string(p->Attribute("value")) == "0c7312a5";
  }
  EXPECT_TRUE(hasUniqId);
}

// A board swap needs a download, so each download begins a unit for the next
// board, as does a change of port; what ran before the first download is a
// unit of its own.
TEST_F(RunRecordTest, DownloadsAndPortChangesBeginUnitsEachWithItsOwnBoard) {
  Use(kFails);
  record.SetNextSerial("SN-1");
  Use(kDownload);
  Use(kConfig);
  Use(kAborts);
  OperationArgs com2;
  com2.selectorEntry = kPortEntryCom2;
  Use(kPort, &com2);
  Use(kDownload);  // the board on COM2: the unit the change of port began
  Use(kCpuOnly);
  record.SetNextSerial("SN-3");
  Use(kDownload);
  Use(kTransfer);

  const json units = ReadJson()["units"];
  ASSERT_EQ(units.size(), 4u);
  const struct {
    std::vector<std::string> operations;
    const char* outcome;
    json serial;
    const char* port;
    json uniqId;
  } expected[] = {{{"sdram"}, "failed", nullptr, "COM1", nullptr},
                  {{"download", "config", "rtc"}, "aborted", "SN-1", "COM1", "0c7312a5"},
                  {{"port", "download", "config"}, "failed", nullptr, "COM2", "deadbeef"},
                  {{"download", "read"}, "success", "SN-3", "COM2", nullptr}};
  std::set<std::string> ids;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const json& unit = units[i];
    std::vector<std::string> names;
    for (const json& operation : unit["operations"]) names.push_back(operation["name"]);
    EXPECT_EQ(names, expected[i].operations) << i;
    EXPECT_EQ(unit["outcome"], expected[i].outcome) << i;
    EXPECT_EQ(unit["serial"], expected[i].serial) << i;
    EXPECT_EQ(unit["port"], expected[i].port) << i;
    const json& cpu = unit["identity"]["processor"];
    EXPECT_EQ(cpu.is_null() ? json(nullptr) : cpu["uniqId"], expected[i].uniqId) << i;
    EXPECT_EQ(unit["downloaded"], i > 0) << i;
    EXPECT_EQ(unit["testProgram"].is_null(), i == 0) << i;
    ids.insert(unit["unitId"].get<std::string>());
    const std::string id = unit["unitId"];
    std::string shape = id;  // hex digits as 'x', the version and variant kept
    for (std::size_t k = 0; k < shape.size(); ++k) {
      if (k != 14 && k != 19 && std::isxdigit(static_cast<unsigned char>(shape[k])) && !std::isupper(shape[k])) shape[k] = 'x';
    }
    EXPECT_EQ(shape, "xxxxxxxx-xxxx-4xxx-" + std::string(1, id.size() > 19 ? id[19] : '?') + "xxx-xxxxxxxxxxxx") << id;
    EXPECT_NE(std::string("89ab").find(id.size() > 19 ? id[19] : '?'), std::string::npos) << id;
  }
  EXPECT_EQ(ids.size(), units.size());
  // The program the download sent, by its digest.
  const std::vector<std::uint8_t> program = TestProgramBytes(1024);
  Sha256 hash;
  hash.Update(program.data(), program.size());
  Sha256::Digest digest{};
  ASSERT_TRUE(hash.Finish(digest));
  EXPECT_EQ(units[1]["testProgram"]["size"], 1024);
  std::ostringstream hex;
  for (const std::uint8_t byte : digest) hex << std::hex << std::setw(2) << std::setfill('0') << int{byte};
  EXPECT_EQ(units[1]["testProgram"]["sha256"], hex.str());
  // Board 2's sections stay its own: the readout of board 3 read only the CPU.
  EXPECT_FALSE(units[1]["identity"]["flash"].is_null());
  EXPECT_TRUE(units[2]["identity"]["flash"].is_null());
  EXPECT_TRUE(MatchesRecordSchema(files.json));

  // The report: one suite per unit, named by it.
  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(dir.Read("run.xml").c_str()), tinyxml2::XML_SUCCESS) << document.ErrorStr();
  std::vector<std::string> suites;
  for (const auto* suite = document.RootElement()->FirstChildElement("testsuite"); suite;
       suite = suite->NextSiblingElement("testsuite")) {
    suites.push_back(std::string(suite->Attribute("name")) + " " + suite->Attribute("tests") + "/" +
                     suite->Attribute("failures"));
  }
  EXPECT_EQ(suites, (std::vector<std::string>{"1: before the first download 1/1", "2: SN-1, Uniq_ID 0c7312a5 3/1",
                                              "3: Uniq_ID deadbeef 3/1", "4: SN-3 2/0"}));
}

// A file name that is not text keeps its bytes in the record, escaped.
// What a listener of the record's units heard.
struct HeardUnits final : UnitListener {
  void UnitIdentified(const RecordedUnit& unit) override { identified.push_back(unit.identity.processor->uniqueId); }
  void UnitFinished(const RunData& run, const RecordedUnit& unit) override {
    EXPECT_TRUE(run.units.empty());
    finished.push_back(unit.id);
  }
  std::vector<std::uint32_t> identified;
  std::vector<std::string> finished;
};

// A record without files, observing the station, with a listener.
struct ListenedRecord {
  explicit ListenedRecord(Station& station) : record{station, "rz-test"} {
    record.SetUnitListener(&heard);
    station.observer = &record;
    station.results = &record;
  }
  HeardUnits heard;
  RunRecord record;
};

TEST_F(RunRecordTest, AListenerHearsEachUnitIdentifiedAndFinishedOnce) {
  // Without files the record keeps only the unit under test.
  ListenedRecord listened(station);
  RunRecord& bare = listened.record;
  HeardUnits& heard = listened.heard;
  Use(kDownload);
  Use(kConfig);
  const std::string first = bare.Json()["units"][0]["unitId"];
  Use(kDownload);
  Use(kCpuOnly);
  EXPECT_EQ(heard.finished, std::vector<std::string>{first});
  ASSERT_EQ(bare.Json()["units"].size(), 1u);
  const std::string second = bare.Json()["units"][0]["unitId"];
  std::string error;
  EXPECT_TRUE(bare.Finish(error)) << error;
  EXPECT_TRUE(bare.Finish(error)) << error;
  EXPECT_EQ(heard.finished, (std::vector<std::string>{first, second}));
  EXPECT_EQ(heard.identified, (std::vector<std::uint32_t>{0x0c7312a5, 0xdeadbeef}));
}

TEST_F(RunRecordTest, AJudgedUnitIsHandedOverAtOnceAndWhatFollowsIsAUnitOfItsOwn) {
  ListenedRecord listened(station);
  RunRecord& bare = listened.record;
  HeardUnits& heard = listened.heard;
  Use(kDownload);
  const std::string judged = bare.Json()["units"][0]["unitId"];
  bare.UnitJudged(UnitVerdict{});
  EXPECT_EQ(heard.finished, std::vector<std::string>{judged});
  Use(kConfig);  // no download: still a unit of its own, handed over at the end
  const std::string after = bare.Json()["units"].back()["unitId"];
  EXPECT_NE(after, judged);
  std::string error;
  EXPECT_TRUE(bare.Finish(error)) << error;
  EXPECT_EQ(heard.finished, (std::vector<std::string>{judged, after}));
}

TEST(RecordText, FileNamesThatAreNotTextAreEscapedByteForByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"/rz/образ.bin", "/rz/образ.bin"},
      {"C:\\rz\\image.bin", "C:\\rz\\image.bin"},
      {"/rz/\xff\xfe.bin", "/rz/\\xFF\\xFE.bin"},
      {"a\\b\x01", "a\\\\b\\x01"},
  };
  for (const auto& [name, recorded] : cases) EXPECT_EQ(EscapedPath(name), recorded) << name;
}

// Whatever the values hold, a parser gets them back exactly.
TEST(XmlWriter, AttributesAndTextSurviveAParser) {
  const std::vector<std::string> values{"plain", "quote \" and ' apostrophe", "<tag> & &amp;", "a\nb\r\nc\td",
                                        "]]> end", "  two  spaces  ", "Процессор", ""};
  XmlWriter xml;
  xml.Open("root");
  for (const std::string& value : values) {
    xml.Open("item");
    xml.Attribute("value", value);
    xml.Text(value);
    xml.Close();
    xml.Open("empty");
    xml.Attribute("value", value);
    xml.Close();
  }
  xml.Close();

  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(xml.Document().c_str()), tinyxml2::XML_SUCCESS) << xml.Document();
  const tinyxml2::XMLElement* item = document.RootElement()->FirstChildElement("item");
  for (const std::string& value : values) {
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Attribute("value"), value);
    EXPECT_EQ(item->GetText() != nullptr ? std::string(item->GetText()) : "", value);
    const tinyxml2::XMLElement* empty = item->NextSiblingElement("empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Attribute("value"), value);
    EXPECT_EQ(empty->FirstChild(), nullptr);
    item = empty->NextSiblingElement("item");
  }
}

TEST(RunRecordFiles, UnwritablePlacesAreReportedAtOpen) {
  TempDir dir;
  RecordingUi ui;
  RecordingSound sound;
  ScriptedSerialBackend backend;
  Station station{ui, sound, backend};
  std::ofstream(dir.File("plain")) << "a file, not a directory";
  for (const RecordFiles& files : {RecordFiles{dir.File("missing/run.json"), ""},
                                   RecordFiles{dir.File("plain/run.json"), ""},
                                   RecordFiles{dir.File("ok.json"), dir.File("missing/run.xml")}}) {
    RunRecord record(station, "rz-test");
    std::string error;
    EXPECT_FALSE(record.Open(files, error));
    const std::string& bad = files.junit.empty() ? files.json : files.junit;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace rz::testing
