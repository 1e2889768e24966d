#include "boardtests/configuration_decode.h"

#include <cstdio>

#include "app/station_ui.h"

namespace rz {
namespace {

constexpr std::uint32_t kCfiQuery = 0x00510051;
constexpr const char* kUnknown = "???";

std::string Hex32(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08x", value);
  return buffer;
}

std::string HexWords(const std::array<std::uint32_t, 4>& words) {
  // The last word received comes first.
  return Hex32(words[3]) + " " + Hex32(words[2]) + " " + Hex32(words[1]) + " " + Hex32(words[0]);
}

std::string Known(const std::optional<int>& value, const char* suffix) {
  return value ? "2x" + std::to_string(*value) + suffix : kUnknown;
}

struct FlashPart {
  std::uint16_t device;
  const char* withCfi;
  const char* withoutCfi;
  BoardIdentity::BootBlock boot;
};

constexpr FlashPart kFlashParts[] = {
    {0x00C8, "AT49BV322A", "AT49BV321", BoardIdentity::BootBlock::Bottom},
    {0x00C9, "AT49BV322AT", "AT49BV321T", BoardIdentity::BootBlock::Top},
    {0x223F, "K8D3216UB", "K8D3216UB", BoardIdentity::BootBlock::Bottom},
    {0x22B7, "K8D3216UT", "K8D3216UT", BoardIdentity::BootBlock::Top},
    {0x8896, "28F320B3", "28F320B3", BoardIdentity::BootBlock::Top},
    {0x8897, "28F320B3", "28F320B3", BoardIdentity::BootBlock::Bottom},
};

// The pin of each interrupt line of the Ethernet controller.
constexpr int kIrqPins[] = {32, 31, 30, 35};

}  // namespace

BoardIdentity::Processor DecodeCpu(const CpuId& id, int cpuSelectorIndex) {
  return {cpuSelectorIndex == kCpuEntry74 ? 74 : 90, id.unique, id.random};
}

BoardIdentity::Sdram DecodeSdram(std::uint32_t word) {
  BoardIdentity::Sdram sdram;
  sdram.configWord = word;
  if ((word & 0x060) == 0x020) sdram.chipMegabytes = 8;
  if ((word & 0x060) == 0x040) sdram.chipMegabytes = 16;
  if ((word & 0x180) == 0x080) sdram.chipWidthBits = 8;
  if ((word & 0x180) == 0x100) sdram.chipWidthBits = 16;
  if ((word & 0x003) == 2 || (word & 0x003) == 3) sdram.casLatency = static_cast<int>(word & 0x003);
  return sdram;
}

BoardIdentity::Flash DecodeFlash(const FlashId& id) {
  BoardIdentity::Flash flash;
  flash.busWidthBits = id.busWidth;
  flash.makerCode = static_cast<std::uint16_t>(id.manufacturer & 0xFFFF);
  switch (flash.makerCode) {
    case 0x001F: flash.maker = BoardIdentity::FlashMaker::Atmel; break;
    case 0x0089: flash.maker = BoardIdentity::FlashMaker::Intel; break;
    case 0x00EC: flash.maker = BoardIdentity::FlashMaker::Samsung; break;
    default: break;
  }
  flash.deviceCode = static_cast<std::uint16_t>(id.device & 0xFFFF);
  flash.cfi = id.cfi == kCfiQuery;
  for (const FlashPart& part : kFlashParts) {
    if (part.device != flash.deviceCode) continue;
    flash.part = flash.cfi ? part.withCfi : part.withoutCfi;
    flash.boot = part.boot;
  }
  flash.securityId = id.security;
  return flash;
}

BoardIdentity::Ethernet DecodeEthernet(const EthernetConfig& config) {
  BoardIdentity::Ethernet ethernet;
  if (config.eeprom <= 1) ethernet.eeprom = config.eeprom == 1;
  if (config.duplex <= 1) ethernet.fullDuplex = config.duplex == 1;
  ethernet.baseAddress = config.baseAddress;
  if (config.interruptLine < std::size(kIrqPins)) ethernet.irq = config.interruptLine;
  if (config.voltage == 0) ethernet.supplyMillivolts = 5000;
  if (config.voltage == 1) ethernet.supplyMillivolts = 3300;
  return ethernet;
}

std::string ProcessorText(const BoardIdentity::Processor& cpu) {
  // The M of "MГц" is the Latin M.
  return "EP7312-" + std::to_string(cpu.clockMhz) + "MГц";
}

std::string UniqIdText(const BoardIdentity::Processor& cpu) { return Hex32(cpu.uniqueId); }

std::string RandomIdText(const BoardIdentity::Processor& cpu) { return HexWords(cpu.randomId); }

std::string SdramSizeText(const BoardIdentity::Sdram& sdram) { return Known(sdram.chipMegabytes, " Мбайт"); }

std::string FlashTypeText(const BoardIdentity::Flash& flash) {
  if (flash.part.empty()) return kUnknown;
  return flash.part + (flash.boot == BoardIdentity::BootBlock::Top ? " <Top Boot>" : " <Bottom Boot>");
}

std::string SecurityIdText(const BoardIdentity::Flash& flash) { return HexWords(flash.securityId); }

const char* FlashMakerName(BoardIdentity::FlashMaker maker) {
  switch (maker) {
    case BoardIdentity::FlashMaker::Atmel: return "Atmel";
    case BoardIdentity::FlashMaker::Intel: return "Intel";
    case BoardIdentity::FlashMaker::Samsung: return "Samsung";
    case BoardIdentity::FlashMaker::Unknown: break;
  }
  return kUnknown;
}

std::vector<std::string> DescribeCpu(const BoardIdentity::Processor& cpu) {
  return {" Процессор: " + ProcessorText(cpu), " Uniq_ID: " + UniqIdText(cpu), " Random_ID: " + RandomIdText(cpu)};
}

std::vector<std::string> DescribeSdram(const BoardIdentity::Sdram& sdram) {
  // The x of "2x8" is the Latin x.
  return {" Объем: " + SdramSizeText(sdram), " Шина данных: " + Known(sdram.chipWidthBits, " бит"),
          " CAS Latency: " + (sdram.casLatency ? std::to_string(*sdram.casLatency) : std::string(kUnknown))};
}

std::vector<std::string> DescribeFlash(const BoardIdentity::Flash& flash) {
  std::string bus = " Шина Данных: ??? бит";
  if (flash.busWidthBits == 8) bus = " Шина Данных: 8 бит";
  if (flash.busWidthBits == 16) bus = " Шина Данных: 16 бит";
  if (flash.busWidthBits == 32) bus = " Шина Данных: 32 бита";
  return {bus, std::string(" Производитель: ") + FlashMakerName(flash.maker), " Тип: " + FlashTypeText(flash),
          " Security ID: " + SecurityIdText(flash)};
}

std::vector<std::string> DescribeEthernet(const BoardIdentity::Ethernet& ethernet) {
  const std::string eeprom = !ethernet.eeprom ? kUnknown : *ethernet.eeprom ? "Да" : "Нет";
  const std::string duplex = !ethernet.fullDuplex ? kUnknown : *ethernet.fullDuplex ? "Full Duplex" : "Half Duplex";
  char base[64];
  std::snprintf(base, sizeof base, " Базовый Адрес: %04xh", static_cast<unsigned>(ethernet.baseAddress));
  std::string irq = " Прерывание: Запрещено";
  if (ethernet.irq && *ethernet.irq >= 0 && *ethernet.irq < static_cast<int>(std::size(kIrqPins))) {
    irq = " Прерывание: IRQ" + std::to_string(*ethernet.irq) + " <Pin" +
          std::to_string(kIrqPins[static_cast<std::size_t>(*ethernet.irq)]) + ">";
  }
  // The B of the voltages is the Latin B.
  std::string voltage = " Напряжение питания: ???";
  if (ethernet.supplyMillivolts == 5000) voltage = " Напряжение питания: 5.0B";
  if (ethernet.supplyMillivolts == 3300) voltage = " Напряжение питания: 3.3B";
  return {" EEPROM: " + eeprom, " Режим обмена: " + duplex, base, irq, voltage};
}

}  // namespace rz
