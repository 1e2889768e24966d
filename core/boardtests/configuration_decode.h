#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/board_identity.h"
#include "boardtests/configuration_commands.h"

namespace rz {

// The configuration readout's replies as the board's identity.

// The processor's clock follows the CPU clock selector (0 = 74 MHz), not the board.
BoardIdentity::Processor DecodeCpu(const CpuId& id, int cpuSelectorIndex);
BoardIdentity::Sdram DecodeSdram(std::uint32_t configWord);
// The type is chosen from the device code alone, whatever the manufacturer.
BoardIdentity::Flash DecodeFlash(const FlashId& id);
BoardIdentity::Ethernet DecodeEthernet(const EthernetConfig& config);

// The journal lines of the readout's sections.
std::vector<std::string> DescribeCpu(const BoardIdentity::Processor& cpu);
std::vector<std::string> DescribeSdram(const BoardIdentity::Sdram& sdram);
std::vector<std::string> DescribeFlash(const BoardIdentity::Flash& flash);
std::vector<std::string> DescribeEthernet(const BoardIdentity::Ethernet& ethernet);

// Values as the journal shows them after their labels ("???" for what the
// station has no name for); the run record keeps the same texts.
std::string ProcessorText(const BoardIdentity::Processor& cpu);  // "EP7312-74MГц"
std::string UniqIdText(const BoardIdentity::Processor& cpu);     // eight hex digits
std::string RandomIdText(const BoardIdentity::Processor& cpu);   // R4 R3 R2 R1
std::string SdramSizeText(const BoardIdentity::Sdram& sdram);    // "2x16 Мбайт"
std::string FlashTypeText(const BoardIdentity::Flash& flash);    // "28F320B3 <Top Boot>"
std::string SecurityIdText(const BoardIdentity::Flash& flash);   // W3 W2 W1 W0
const char* FlashMakerName(BoardIdentity::FlashMaker maker);     // "Intel"; "???"

}  // namespace rz
