// The Ethernet controller, SDRAM and Flash targets: their keywords, field
// checks and echo lines. All three send DebugAccess.

#include <array>
#include <optional>

#include "debug/debug_executors.h"
#include "debug/debug_fields.h"
#include "debug/debug_texts.h"

namespace rz {

namespace {

struct MemoryKeyword {
  const char* word;
  std::uint8_t code;
  bool usesAddress;
  bool usesData;
};

constexpr std::array kEthernetKeywords = {
    MemoryKeyword{"w", 0x00, true, true},   MemoryKeyword{"wc", 0x80, true, true},
    MemoryKeyword{"r", 0x01, true, false},  MemoryKeyword{"rc", 0x81, true, false},
    MemoryKeyword{"txc", 0x83, false, true},
};
constexpr std::array kSdramKeywords = {
    MemoryKeyword{"w", 0x00, true, true},  MemoryKeyword{"wc", 0x80, true, true},
    MemoryKeyword{"r", 0x01, true, false}, MemoryKeyword{"rc", 0x81, true, false},
    MemoryKeyword{"a", 0x31, false, false},
};
constexpr std::array kFlashKeywords = {
    MemoryKeyword{"w", 0x00, true, true},  MemoryKeyword{"wc", 0x80, true, true},
    MemoryKeyword{"r", 0x01, true, false}, MemoryKeyword{"rc", 0x81, true, false},
    MemoryKeyword{"a", 0x41, false, false},
};

template <std::size_t N>
const MemoryKeyword* FindKeyword(const std::array<MemoryKeyword, N>& keywords, const std::string& word) {
  for (const MemoryKeyword& keyword : keywords) {
    if (word == keyword.word) return &keyword;
  }
  return nullptr;
}

// SDRAM and Flash pick the access width from A1,A0; the echo shows the data
// at that width.
std::string DataAtWidth(std::uint32_t address, std::uint32_t data) {
  if ((address & 1u) != 0) return Hex(data & 0xFFu, 2);
  if ((address & 2u) != 0) return Hex(data & 0xFFFFu, 4);
  return Hex(data, 8);
}

struct MemoryTarget {
  std::uint32_t maxAddress;
  std::uint32_t base;
  int addressDigits;
  const char* addressCheckEcho;  // the echo of operation a
};

template <std::size_t N>
const char* CheckMemory(const std::array<MemoryKeyword, N>& keywords, const MemoryTarget& target,
                        const DebugFieldTexts& fields, DebugPlan& plan) {
  const MemoryKeyword* keyword = FindKeyword(keywords, fields.operation);
  if (keyword == nullptr) return debugtext::kOperationError;
  std::uint32_t address = 0;
  if (keyword->usesAddress && (!ParseHexField(fields.address, address) || address > target.maxAddress)) {
    return debugtext::kAddressError;
  }
  std::uint32_t data = 0;
  if (keyword->usesData && !ParseHexField(fields.data, data)) return debugtext::kDataError;

  plan.address = target.base + address;
  plan.data = data;
  plan.code = keyword->code;
  if (!keyword->usesAddress) {
    plan.echo = target.addressCheckEcho;
    return nullptr;
  }
  plan.echo = std::string(" ") + keyword->word + "  " + Hex(address, target.addressDigits) + "  ";
  if (keyword->usesData) plan.echo += DataAtWidth(address, data);
  return nullptr;
}

}  // namespace

const char* CheckEthernet(const DebugFieldTexts& fields, DebugPlan& plan) {
  const MemoryKeyword* keyword = FindKeyword(kEthernetKeywords, fields.operation);
  if (keyword == nullptr) return debugtext::kOperationError;
  std::uint32_t address = 0;
  if (keyword->usesAddress && !ParseHexField(fields.address, address)) return debugtext::kAddressError;
  std::uint32_t data = 0;
  if (keyword->usesData && !ParseHexField(fields.data, data)) return debugtext::kDataError;

  // The controller's register window; txc sends the window's start.
  plan.address = kEthernetWindow + address;
  plan.data = data;
  plan.code = keyword->code;
  plan.echo = std::string(" ") + keyword->word + "  ";
  if (keyword->usesAddress) plan.echo += Hex(address);
  plan.echo += "  ";
  if (keyword->usesData) plan.echo += Hex(data, 4);
  return nullptr;
}

const char* CheckSdram(const DebugFieldTexts& fields, DebugPlan& plan) {
  return CheckMemory(kSdramKeywords, MemoryTarget{0x1FFFFFF, 0, 7, debugtext::kSdramAddressCheck}, fields, plan);
}

const char* CheckFlash(const DebugFieldTexts& fields, DebugPlan& plan) {
  return CheckMemory(kFlashKeywords, MemoryTarget{0x7FFFFF, kFlashBase, 6, debugtext::kFlashAddressCheck}, fields,
                     plan);
}

Outcome ExecuteMemoryPlan(DebugContext& ctx, DebugPlan& plan) {
  return ExecuteMemoryOperation(ctx, plan.address, plan.data, plan.code, plan.echo);
}

}  // namespace rz
