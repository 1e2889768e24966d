#include "boardtests/configuration_decode.h"

#include <cstdio>

#include "app/station_ui.h"
#include "app/texts.h"

namespace rz {
namespace {

constexpr std::uint32_t kCfiQuery = 0x00510051;

std::string Hex32(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08x", value);
  return buffer;
}

std::string HexWords(const std::array<std::uint32_t, 4>& words) {
  // The last word received comes first.
  return Hex32(words[3]) + " " + Hex32(words[2]) + " " + Hex32(words[1]) + " " + Hex32(words[0]);
}

}  // namespace

std::vector<std::string> DescribeCpu(const CpuId& id, int cpuSelectorIndex) {
  return {cpuSelectorIndex == kCpuEntry74 ? text::kProcessor74 : text::kProcessor90,
          " Uniq_ID: " + Hex32(id.unique), " Random_ID: " + HexWords(id.random)};
}

std::vector<std::string> DescribeSdram(std::uint32_t word) {
  std::string size = " Объем: ???";
  if ((word & 0x060) == 0x020) size = " Объем: 2x8 Мбайт";
  if ((word & 0x060) == 0x040) size = " Объем: 2x16 Мбайт";
  std::string width = " Шина данных: ???";
  if ((word & 0x180) == 0x080) width = " Шина данных: 2x8 бит";
  if ((word & 0x180) == 0x100) width = " Шина данных: 2x16 бит";
  std::string cas = " CAS Latency: ???";
  if ((word & 0x003) == 2) cas = " CAS Latency: 2";
  if ((word & 0x003) == 3) cas = " CAS Latency: 3";
  return {size, width, cas};
}

std::string FlashTypeLine(std::uint32_t deviceCode, std::uint32_t cfiWord) {
  const bool cfi = cfiWord == kCfiQuery;
  switch (deviceCode & 0xFFFF) {
    case 0x00C8: return cfi ? " Тип: AT49BV322A <Bottom Boot>" : " Тип: AT49BV321 <Bottom Boot>";
    case 0x00C9: return cfi ? " Тип: AT49BV322AT <Top Boot>" : " Тип: AT49BV321T <Top Boot>";
    case 0x223F: return " Тип: K8D3216UB <Bottom Boot>";
    case 0x22B7: return " Тип: K8D3216UT <Top Boot>";
    case 0x8896: return " Тип: 28F320B3 <Top Boot>";
    case 0x8897: return " Тип: 28F320B3 <Bottom Boot>";
    default: return " Тип: ???";
  }
}

std::vector<std::string> DescribeFlash(const FlashId& id) {
  std::string bus = " Шина Данных: ??? бит";
  if (id.busWidth == 8) bus = " Шина Данных: 8 бит";
  if (id.busWidth == 16) bus = " Шина Данных: 16 бит";
  if (id.busWidth == 32) bus = " Шина Данных: 32 бита";
  std::string maker = " Производитель: ???";
  switch (id.manufacturer & 0xFFFF) {
    case 0x001F: maker = " Производитель: Atmel"; break;
    case 0x0089: maker = " Производитель: Intel"; break;
    case 0x00EC: maker = " Производитель: Samsung"; break;
    default: break;
  }
  return {bus, maker, FlashTypeLine(id.device, id.cfi), " Security ID: " + HexWords(id.security)};
}

std::vector<std::string> DescribeEthernet(const EthernetConfig& config) {
  std::string eeprom = " EEPROM: ???";
  if (config.eeprom == 0) eeprom = " EEPROM: Нет";
  if (config.eeprom == 1) eeprom = " EEPROM: Да";
  std::string duplex = " Режим обмена: ???";
  if (config.duplex == 0) duplex = " Режим обмена: Half Duplex";
  if (config.duplex == 1) duplex = " Режим обмена: Full Duplex";
  char base[64];
  std::snprintf(base, sizeof base, " Базовый Адрес: %04xh", static_cast<unsigned>(config.baseAddress));
  std::string irq = " Прерывание: Запрещено";
  switch (config.interruptLine) {
    case 0: irq = " Прерывание: IRQ0 <Pin32>"; break;
    case 1: irq = " Прерывание: IRQ1 <Pin31>"; break;
    case 2: irq = " Прерывание: IRQ2 <Pin30>"; break;
    case 3: irq = " Прерывание: IRQ3 <Pin35>"; break;
    default: break;
  }
  // The B of the voltages is the Latin B.
  std::string voltage = " Напряжение питания: ???";
  if (config.voltage == 0) voltage = " Напряжение питания: 5.0B";
  if (config.voltage == 1) voltage = " Напряжение питания: 3.3B";
  return {eeprom, duplex, base, irq, voltage};
}

}  // namespace rz
