#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boardtests/configuration_commands.h"

namespace rz {

// The journal lines of the configuration readout's sections.

// The processor line follows the CPU clock selector (0 = 74 MHz), not the board.
std::vector<std::string> DescribeCpu(const CpuId& id, int cpuSelectorIndex);
std::vector<std::string> DescribeSdram(std::uint32_t configWord);
std::vector<std::string> DescribeFlash(const FlashId& id);
std::vector<std::string> DescribeEthernet(const EthernetConfig& config);

// The Flash type line, chosen from the device code alone.
std::string FlashTypeLine(std::uint32_t deviceCode, std::uint32_t cfiWord);

}  // namespace rz
