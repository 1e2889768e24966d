#include "boardtests/configuration_commands.h"

#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {

ExchangeResult ReadCpuId(StationContext& station, CpuId& id) {
  SerialExchange exchange(station);
  exchange.Write8('j');
  if (!exchange.Await32(id.unique)) return kExchangeFailed;
  for (std::uint32_t& word : id.random) {
    if (!exchange.Await32(word)) return kExchangeFailed;
  }
  return kExchangeOk;
}

ExchangeResult ReadSdramConfig(StationContext& station, std::uint32_t& word) {
  SerialExchange exchange(station);
  exchange.Write8('s');
  return exchange.Await32(word) ? kExchangeOk : kExchangeFailed;
}

ExchangeResult ReadFlashId(StationContext& station, FlashId& id) {
  SerialExchange exchange(station);
  exchange.Write8('?');
  if (!exchange.Await8(id.busWidth) || !exchange.Await32(id.manufacturer) ||
      !exchange.Await32(id.device) || !exchange.Await32(id.cfi)) {
    return kExchangeFailed;
  }
  for (std::uint32_t& word : id.security) {
    if (!exchange.Await32(word)) return kExchangeFailed;
  }
  return kExchangeOk;
}

ExchangeResult ReadEthernetConfig(StationContext& station, EthernetConfig& config) {
  SerialExchange exchange(station);
  exchange.Write8('i');
  if (!exchange.Await8(config.eeprom) || config.eeprom == kStatusRefused) return kExchangeFailed;
  std::uint8_t closing = 0;
  if (!exchange.Await8(config.duplex) || !exchange.Await16(config.baseAddress) ||
      !exchange.Await16(config.interruptLine) || !exchange.Await8(config.voltage) ||
      !exchange.Await8(closing)) {
    return kExchangeFailed;
  }
  return closing == kStatusDone ? kExchangeOk : kExchangeFailed;
}

ExchangeResult SwitchCpuClock(StationContext& station, std::uint8_t& answer) {
  SerialExchange exchange(station);
  exchange.Write8('M');
  if (!exchange.Await8(answer)) return kExchangeFailed;
  exchange.Write8(answer);
  return kExchangeOk;
}

}  // namespace rz
