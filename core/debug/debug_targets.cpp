// The table of the five targets and their field hints.

#include <array>

#include "debug/debug_console.h"
#include "debug/debug_executors.h"
#include "debug/debug_texts.h"

namespace rz {

namespace {

using namespace debugtext;

// The hints compare the operation text as typed, case-sensitively.
const char* EthernetAddressHint(std::string_view op) { return op == "txc" ? kNotUsed : kEthernetAddressHint; }
const char* EthernetDataHint(std::string_view op) { return op == "r" || op == "rc" ? kNotUsed : kData16Hint; }
const char* SdramAddressHint(std::string_view op) { return op == "a" ? kNotUsed : kSdramAddressHint; }
const char* FlashAddressHint(std::string_view op) { return op == "a" ? kNotUsed : kFlashAddressHint; }
const char* MemoryDataHint(std::string_view op) { return op == "a" ? kNotUsed : kData32Hint; }
const char* ServiceAddressHint(std::string_view) { return kNotUsed; }
const char* ServiceDataHint(std::string_view op) { return op == "txc" ? kData8Hint : kNotUsed; }
const char* ChannelAddressHint(std::string_view op) { return op == "tx0" ? kTx0ChannelHint : kChannelHint; }
const char* ChannelDataHint(std::string_view op) {
  if (op == "txd" || op == "tx0") return kSpeedHint;
  return op == "dbc" ? kByteHint : kNotUsed;
}

const std::array<DebugTarget, kDebugTargets> kTargets = {
    DebugTarget{1, "ethernet", {3, 3, 6}, true, &CheckEthernet, &ExecuteMemoryPlan, &EthernetAddressHint,
                &EthernetDataHint},
    DebugTarget{2, "sdram", {2, 9, 10}, true, &CheckSdram, &ExecuteMemoryPlan, &SdramAddressHint, &MemoryDataHint},
    DebugTarget{3, "flash", {2, 8, 10}, true, &CheckFlash, &ExecuteMemoryPlan, &FlashAddressHint, &MemoryDataHint},
    DebugTarget{4, "service-com", {3, 8, 4}, false, &CheckServiceCom, &ExecuteServiceComPlan, &ServiceAddressHint,
                &ServiceDataHint},
    DebugTarget{5, "ext-com", {3, 2, 6}, true, &CheckExternalComs, &ExecuteChannelPlan, &ChannelAddressHint,
                &ChannelDataHint},
};

}  // namespace

const DebugTarget* FindDebugTarget(int number) {
  if (number < 1 || number > kDebugTargets) return nullptr;
  return &kTargets[static_cast<std::size_t>(number - 1)];
}

const DebugTarget* FindDebugTarget(std::string_view cliName) {
  for (const DebugTarget& target : kTargets) {
    if (cliName == target.cliName) return &target;
  }
  return nullptr;
}

const char* OperationList(const DebugTarget& target) {
  return kOperationLists[static_cast<std::size_t>(target.number - 1)];
}

const char* HelpText(const DebugTarget& target) { return kHelpTexts[static_cast<std::size_t>(target.number - 1)]; }

}  // namespace rz
