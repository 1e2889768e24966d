#include "boardtests/identity_measurements.h"

#include <optional>
#include <string>

#include "boardtests/configuration_decode.h"

namespace rz {
namespace {

constexpr const char* kUnknown = "???";

Measurement Number(std::string name, double value, std::string unit = "") {
  return {std::move(name), value, std::move(unit)};
}

Measurement MaybeNumber(std::string name, const std::optional<int>& value, std::string unit = "") {
  if (!value) return {std::move(name), std::string(kUnknown), ""};
  return Number(std::move(name), *value, std::move(unit));
}

double Flag(bool value) { return value ? 1.0 : 0.0; }

}  // namespace

std::vector<Measurement> IdentityMeasurements(const BoardIdentity& identity) {
  std::vector<Measurement> out;
  if (identity.processor) out.push_back(Number("config.cpu.clockMhz", identity.processor->clockMhz, "MHz"));
  if (const auto& sdram = identity.sdram) {
    out.push_back(MaybeNumber("config.sdram.totalMegabytes", sdram->TotalMegabytes(), "MB"));
    out.push_back(MaybeNumber("config.sdram.chipWidthBits", sdram->chipWidthBits, "bit"));
    out.push_back(MaybeNumber("config.sdram.casLatency", sdram->casLatency));
  }
  if (const auto& flash = identity.flash) {
    out.push_back(Number("config.flash.busWidthBits", flash->busWidthBits, "bit"));
    out.push_back({"config.flash.maker", std::string(FlashMakerName(flash->maker)), ""});
    out.push_back({"config.flash.part", flash->part.empty() ? std::string(kUnknown) : flash->part, ""});
    out.push_back(Number("config.flash.cfi", Flag(flash->cfi)));
  }
  if (const auto& ethernet = identity.ethernet) {
    if (ethernet->eeprom) out.push_back(Number("config.ethernet.eeprom", Flag(*ethernet->eeprom)));
    if (ethernet->fullDuplex) out.push_back(Number("config.ethernet.fullDuplex", Flag(*ethernet->fullDuplex)));
    out.push_back(Number("config.ethernet.baseAddress", ethernet->baseAddress));
    if (ethernet->irq) {
      out.push_back(Number("config.ethernet.irq", *ethernet->irq));
    } else {
      out.push_back({"config.ethernet.irq", std::string("disabled"), ""});
    }
    out.push_back(MaybeNumber("config.ethernet.supplyMillivolts", ethernet->supplyMillivolts, "mV"));
  }
  return out;
}

}  // namespace rz
