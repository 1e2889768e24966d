#include "record/record_junit.h"

#include <cstdio>

#include "boardtests/configuration_decode.h"
#include "record/xml_writer.h"

namespace rz {
namespace {

std::string XmlText(const std::string& in) { return ValidText(in, true); }

std::string Seconds(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
  return buffer;
}

// The identity as the journal showed it, for a reader of the report.
std::vector<std::pair<std::string, std::string>> IdentityTexts(const BoardIdentity& board) {
  std::vector<std::pair<std::string, std::string>> texts;
  if (const auto& cpu = board.processor) {
    texts.insert(texts.end(), {{"processor", ProcessorText(*cpu)}, {"uniqId", UniqIdText(*cpu)},
                               {"randomId", RandomIdText(*cpu)}});
  }
  if (board.sdram) texts.emplace_back("sdramSize", SdramSizeText(*board.sdram));
  if (const auto& flash = board.flash) {
    texts.insert(texts.end(), {{"flashType", FlashTypeText(*flash)}, {"flashSecurityId", SecurityIdText(*flash)}});
  }
  return texts;
}

void Property(XmlWriter& xml, const std::string& name, const std::string& value) {
  xml.Open("property");
  xml.Attribute("name", XmlText(name));
  xml.Attribute("value", XmlText(value));
  xml.Close();
}

std::string CaseOutput(const RecordedOperation& operation) {
  std::string out;
  for (const std::string& line : operation.journal) out += line + "\n";
  if (const auto& transfer = operation.transfer) {
    out += "file " + EscapedPath(transfer->file) +
           (transfer->error.empty()
                ? ", " + std::to_string(transfer->size) + " bytes, SHA-256 " + transfer->sha256
                : ": " + transfer->error) +
           "\n";
    if (!transfer->note.empty()) out += transfer->note + "\n";
  }
  if (const auto& check = operation.check) {
    out += "read back " + std::to_string(check->bytes) + " bytes: " +
           (check->matches ? "the Flash holds the image"
                           : std::to_string(check->differingPieces) + " pieces of 512 bytes differ") +
           (check->flashSha256.empty() ? "" : ", SHA-256 of the Flash " + check->flashSha256) + "\n";
  }
  return out;
}

void Suite(XmlWriter& xml, const RunData& run, const RecordedUnit& unit, std::size_t index) {
  int failures = 0;
  double total = 0;
  for (const RecordedOperation& operation : unit.operations) {
    if (operation.outcome != Outcome::Success) ++failures;
    total += operation.seconds;
  }
  xml.Open("testsuite");
  xml.Attribute("name", XmlText(UnitName(unit, index)));
  xml.Attribute("id", std::to_string(index));
  xml.Attribute("tests", std::to_string(unit.operations.size()));
  xml.Attribute("failures", std::to_string(failures));
  xml.Attribute("errors", "0");
  xml.Attribute("skipped", "0");
  xml.Attribute("time", Seconds(total));
  xml.Attribute("timestamp", Iso8601(unit.start));
  xml.Attribute("hostname", XmlText(run.host));

  xml.Open("properties");
  Property(xml, "unitId", unit.id);
  Property(xml, "station", run.labels.station);
  if (!run.labels.operatorName.empty()) Property(xml, "operator", run.labels.operatorName);
  if (!unit.serial.empty()) Property(xml, "serial", unit.serial);
  if (!unit.port.empty()) Property(xml, "port", unit.port);
  Property(xml, "version", run.version);
  if (unit.program) Property(xml, "testProgram.sha256", unit.program->sha256);
  for (const auto& [key, value] : IdentityTexts(unit.identity)) Property(xml, "board." + key, value);
  xml.Close();

  for (std::size_t i = 0; i < unit.operations.size(); ++i) {
    const RecordedOperation& operation = unit.operations[i];
    xml.Open("testcase");
    // Numbered, as a unit may hold the same operation several times.
    xml.Attribute("name", XmlText(std::to_string(i + 1) + " " + operation.name));
    xml.Attribute("classname", XmlText(run.program + "." + operation.name));
    xml.Attribute("time", Seconds(operation.seconds));
    if (operation.outcome != Outcome::Success) {
      const char* outcome = RecordedOutcomeName(operation.outcome);
      xml.Open("failure");
      xml.Attribute("type", outcome);
      xml.Attribute("message", XmlText(operation.name + ": " + outcome));
      xml.Close();
    }
    xml.Open("system-out");
    xml.Text(XmlText(CaseOutput(operation)));
    xml.Close();
    xml.Close();
  }
  xml.Close();
}

}  // namespace

std::string RunJUnit(const RunData& run) {
  XmlWriter xml;
  xml.Open("testsuites");
  xml.Attribute("name", XmlText(run.program));
  for (std::size_t index = 0; index < run.units.size(); ++index) Suite(xml, run, run.units[index], index);
  xml.Close();
  return xml.Document();
}

}  // namespace rz
