#include "record/record_json.h"

#include <cmath>
#include <cstdio>

#include "boardtests/configuration_decode.h"

namespace rz {
namespace {

std::string Hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*x", digits, static_cast<unsigned>(value));
  return buffer;
}

template <typename T>
nlohmann::json OrNull(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

nlohmann::json Words(const std::array<std::uint32_t, 4>& words) {
  nlohmann::json list = nlohmann::json::array();
  for (const std::uint32_t word : words) list.push_back(Hex(word, 8));
  return list;
}

nlohmann::json TextOrNull(const std::string& text) { return text.empty() ? nlohmann::json(nullptr) : nlohmann::json(text); }

nlohmann::json ProcessorJson(const BoardIdentity::Processor& cpu) {
  return {{"type", "EP7312"}, {"clockMhz", cpu.clockMhz}, {"uniqId", UniqIdText(cpu)}, {"randomId", Words(cpu.randomId)}};
}

nlohmann::json SdramJson(const BoardIdentity::Sdram& sdram) {
  return {{"configWord", Hex(sdram.configWord, 8)},
          {"chips", BoardIdentity::Sdram::kChips},
          {"chipMegabytes", OrNull(sdram.chipMegabytes)},
          {"chipWidthBits", OrNull(sdram.chipWidthBits)},
          {"casLatency", OrNull(sdram.casLatency)},
          {"totalMegabytes", OrNull(sdram.TotalMegabytes())}};
}

nlohmann::json FlashJson(const BoardIdentity::Flash& flash) {
  const bool knownMaker = flash.maker != BoardIdentity::FlashMaker::Unknown;
  const bool knownPart = !flash.part.empty();
  return {{"busWidthBits", flash.busWidthBits},
          {"makerCode", Hex(flash.makerCode, 4)},
          {"maker", knownMaker ? nlohmann::json(FlashMakerName(flash.maker)) : nlohmann::json(nullptr)},
          {"deviceCode", Hex(flash.deviceCode, 4)},
          {"cfi", flash.cfi},
          {"part", TextOrNull(flash.part)},
          {"bootBlock", knownPart ? nlohmann::json(flash.boot == BoardIdentity::BootBlock::Top ? "top" : "bottom")
                                  : nlohmann::json(nullptr)},
          {"securityId", Words(flash.securityId)}};
}

nlohmann::json EthernetJson(const BoardIdentity::Ethernet& ethernet) {
  const auto& mv = ethernet.supplyMillivolts;
  return {{"eeprom", OrNull(ethernet.eeprom)},
          {"fullDuplex", OrNull(ethernet.fullDuplex)},
          {"baseAddress", Hex(ethernet.baseAddress, 4)},
          {"interrupt", ethernet.irq ? "IRQ" + std::to_string(*ethernet.irq) : "disabled"},
          {"supplyVolts", mv ? nlohmann::json(*mv / 1000.0) : nlohmann::json(nullptr)}};
}

template <typename Section, typename ToJson>
nlohmann::json SectionJson(const std::optional<Section>& section, ToJson toJson) {
  return section ? toJson(*section) : nlohmann::json(nullptr);
}

nlohmann::json TransferJson(const RecordedTransfer& transfer) {
  nlohmann::json json = {{"file", EscapedPath(transfer.file)}};
  if (transfer.error.empty()) {
    json["size"] = transfer.size;
    json["sha256"] = transfer.sha256;
  } else {
    json["error"] = transfer.error;
  }
  if (!transfer.note.empty()) json["note"] = EscapedPath(transfer.note);
  return json;
}

nlohmann::json CheckJson(const RecordedCheck& check) {
  nlohmann::json addresses = nlohmann::json::array();
  for (const std::uint32_t address : check.firstDifferingAddresses) addresses.push_back("0x" + Hex(address, 6));
  return {{"bytes", check.bytes},
          {"matches", check.matches},
          {"differingPieces", check.differingPieces},
          {"firstDifferingAddresses", std::move(addresses)},
          {"piecesReadAgain", check.piecesReadAgain},
          {"piecesWrittenAgain", check.piecesWrittenAgain},
          {"flashSha256", TextOrNull(check.flashSha256)}};
}

nlohmann::json OperationJson(const RecordedOperation& operation) {
  nlohmann::json json = {{"name", operation.name},
                         {"start", Iso8601(operation.start)},
                         {"durationSeconds", std::round(operation.seconds * 1000) / 1000},
                         {"outcome", RecordedOutcomeName(operation.outcome)},
                         {"journal", operation.journal}};
  if (operation.transfer) json["transfer"] = TransferJson(*operation.transfer);
  if (operation.check) json["check"] = CheckJson(*operation.check);
  return json;
}

nlohmann::json ValueJson(const std::variant<double, std::string>& value) {
  if (std::holds_alternative<std::string>(value)) return ValidText(std::get<std::string>(value), false);
  return std::get<double>(value);
}

nlohmann::json LimitJson(const Limit& limit) {
  nlohmann::json json = nlohmann::json::object();
  if (limit.min) json["min"] = *limit.min;
  if (limit.max) json["max"] = *limit.max;
  if (limit.marginalMin) json["marginalMin"] = *limit.marginalMin;
  if (limit.marginalMax) json["marginalMax"] = *limit.marginalMax;
  if (!limit.allowed.empty()) {
    json["allowed"] = nlohmann::json::array();
    for (const auto& value : limit.allowed) json["allowed"].push_back(ValueJson(value));
  }
  return json;
}

nlohmann::json MeasurementJson(const JudgedMeasurement& judged) {
  const Measurement& measurement = judged.measurement;
  return {{"name", ValidText(measurement.name, false)},
          {"value", ValueJson(measurement.value)},
          {"unit", TextOrNull(measurement.unit)},
          {"limit", judged.limit ? LimitJson(*judged.limit) : nlohmann::json(nullptr)},
          {"result", JudgementName(judged.judgement)}};
}

nlohmann::json VerdictJson(const UnitVerdict& verdict) {
  return {{"result", VerdictName(verdict.verdict)},
          {"product", ValidText(verdict.product, false)},
          {"failing", verdict.failing},
          {"marginal", verdict.marginal}};
}

nlohmann::json UnitJson(const RecordedUnit& unit) {
  nlohmann::json operations = nlohmann::json::array();
  for (const RecordedOperation& operation : unit.operations) operations.push_back(OperationJson(operation));
  nlohmann::json measurements = nlohmann::json::array();
  for (const JudgedMeasurement& judged : unit.measurements) measurements.push_back(MeasurementJson(judged));
  nlohmann::json program = nullptr;
  if (unit.program) program = {{"size", unit.program->size}, {"sha256", unit.program->sha256}};
  return {{"unitId", unit.id},
          {"serial", TextOrNull(unit.serial)},
          {"port", TextOrNull(unit.port)},
          {"downloaded", unit.downloaded},
          {"testProgram", std::move(program)},
          {"start", Iso8601(unit.start)},
          {"outcome", UnitOutcomeName(unit)},
          {"identity", IdentityJson(unit.identity)},
          {"operations", std::move(operations)},
          {"measurements", std::move(measurements)},
          {"verdict", unit.verdict ? VerdictJson(*unit.verdict) : nlohmann::json(nullptr)}};
}

// What names the run: the record's layout, the station and who ran it.
nlohmann::json RunLabelsJson(const RunData& run) {
  return {{"schemaVersion", kRecordSchemaVersion},
          {"station", {{"program", run.program}, {"version", run.version}, {"name", run.labels.station}}},
          {"operator", TextOrNull(run.labels.operatorName)},
          {"host", run.host}};
}

}  // namespace

nlohmann::json IdentityJson(const BoardIdentity& board) {
  return {{"processor", SectionJson(board.processor, ProcessorJson)},
          {"sdram", SectionJson(board.sdram, SdramJson)},
          {"flash", SectionJson(board.flash, FlashJson)},
          {"ethernet", SectionJson(board.ethernet, EthernetJson)}};
}

nlohmann::json RunJson(const RunData& run) {
  nlohmann::json units = nlohmann::json::array();
  for (const RecordedUnit& unit : run.units) units.push_back(UnitJson(unit));
  nlohmann::json json = RunLabelsJson(run);
  json.update(nlohmann::json{
        {"start", Iso8601(run.start)},
        {"end", run.end ? nlohmann::json(Iso8601(*run.end)) : nlohmann::json(nullptr)},
        {"complete", run.end.has_value()},
        {"workDir", EscapedPath(run.workDir)},
        {"ports", {{"COM1", EscapedPath(run.ports.com1)}, {"COM2", EscapedPath(run.ports.com2)}}},
        {"options",
         {{"serviceCom", run.options.serviceComV7 ? "v7" : "v5"},
          {"flashServiceMode", run.options.flashServiceMode},
          {"sound", run.options.sound},
          {"verifyWrites", run.options.verifyWrites},
          {"verifyUdpWrites", run.options.verifyUdpWrites}}},
        {"units", std::move(units)}});
  return json;
}

nlohmann::json UnitFileJson(const RunData& run, const RecordedUnit& unit) {
  nlohmann::json json = UnitJson(unit);
  json.update(RunLabelsJson(run));
  return json;
}

}  // namespace rz
