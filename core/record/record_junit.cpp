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

// A test case with a failure when `failure` is not empty.
void SimpleCase(XmlWriter& xml, const std::string& name, const std::string& classname, const char* type,
                const std::string& failure, const std::string& out) {
  xml.Open("testcase");
  xml.Attribute("name", XmlText(name));
  xml.Attribute("classname", XmlText(classname));
  xml.Attribute("time", Seconds(0));
  if (!failure.empty()) {
    xml.Open("failure");
    xml.Attribute("type", type);
    xml.Attribute("message", XmlText(failure));
    xml.Close();
  }
  if (!out.empty()) {
    xml.Open("system-out");
    xml.Text(XmlText(out));
    xml.Close();
  }
  xml.Close();
}

// The judged measurements and the verdict of a unit a profile has judged,
// each a test case whose failure carries the value and the limit.
void VerdictCases(XmlWriter& xml, const RunData& run, const RecordedUnit& unit) {
  for (const JudgedMeasurement& judged : unit.measurements) {
    if (!judged.limit) continue;
    const std::string text = judged.measurement.name + " = " + ValueText(judged.measurement) + ", limit " +
                             LimitText(*judged.limit);
    SimpleCase(xml, judged.measurement.name, run.program + ".measurement", "fail",
               judged.judgement == Judgement::Fail ? text : "",
               judged.judgement == Judgement::Marginal ? "marginal: " + text + "\n" : text + "\n");
  }
  const UnitVerdict& verdict = *unit.verdict;
  std::string decided;
  for (const std::string& name : verdict.failing) decided += (decided.empty() ? "" : ", ") + name;
  SimpleCase(xml, "verdict", run.program + ".verdict", VerdictName(verdict.verdict),
             verdict.verdict == Verdict::Pass ? "" : std::string(VerdictName(verdict.verdict)) + ": " + decided,
             verdict.product + ": " + VerdictName(verdict.verdict) + "\n");
}

int JudgedCases(const RecordedUnit& unit, int& failures) {
  if (!unit.verdict) return 0;
  int cases = 1;
  if (unit.verdict->verdict != Verdict::Pass) ++failures;
  for (const JudgedMeasurement& judged : unit.measurements) {
    if (!judged.limit) continue;
    ++cases;
    if (judged.judgement == Judgement::Fail) ++failures;
  }
  return cases;
}

void Suite(XmlWriter& xml, const RunData& run, const RecordedUnit& unit, std::size_t index) {
  int failures = 0;
  double total = 0;
  for (const RecordedOperation& operation : unit.operations) {
    if (operation.outcome != Outcome::Success) ++failures;
    total += operation.seconds;
  }
  const std::size_t tests = unit.operations.size() + static_cast<std::size_t>(JudgedCases(unit, failures));
  xml.Open("testsuite");
  xml.Attribute("name", XmlText(UnitName(unit, index)));
  xml.Attribute("id", std::to_string(index));
  xml.Attribute("tests", std::to_string(tests));
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
  if (unit.verdict) VerdictCases(xml, run, unit);
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
