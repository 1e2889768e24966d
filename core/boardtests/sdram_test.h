#pragma once

#include <cstdint>

#include "app/outcome.h"

namespace rz {

class StationContext;

// How one block of the SDRAM test ended: done without a remark, aborted
// before the board's status byte, or the board reported a failed block (with
// the details in the error record).
enum class SdramBlockResult : std::uint8_t { Done, Aborted, Error };

// The block modes: write or read back and compare, in pass 1 or pass 2.
inline constexpr std::uint8_t kSdramWritePass1 = 0;
inline constexpr std::uint8_t kSdramComparePass1 = 1;
inline constexpr std::uint8_t kSdramWritePass2 = 2;
inline constexpr std::uint8_t kSdramComparePass2 = 3;

inline constexpr std::uint32_t kSdramBlockBytes = 0x10000;

// What the board reports with a failed block.
struct SdramErrorRecord {
  std::uint32_t expected = 0;
  std::uint32_t address = 0;
  std::uint32_t read = 0;
};

// 'm': has the board write (or read back and compare) one block. Done for any
// status byte but 'q'; Error for 'q', with the three words read into `record`
// (also when ESC came while they were read); Aborted before the status byte.
SdramBlockResult TestSdramBlock(StationContext& station, std::uint32_t offset, std::uint32_t length,
                                std::uint32_t megabyte, std::uint8_t mode, SdramErrorRecord& record);

// The bytes tested for an SDRAM configuration word, or 0 when the word is not one
// of the two boards the test knows (the test then fails, naming the word).
std::uint32_t SdramTestSizeFor(std::uint32_t configWord);

// The worker of "Тест SDRAM": two passes of writing every 64 KB block, a
// refresh pause and reading them back. Aborted on ESC (except during the pause,
// which ESC only shortens), failed when any block failed or the configuration
// word is not one the test knows.
Outcome SdramTest(StationContext& station);

}  // namespace rz
