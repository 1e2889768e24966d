#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rz {

// FIFO modes of the external channel test.
inline constexpr std::int32_t kFifoByteMode = 0;
inline constexpr std::int32_t kFifoSerialIrq = 1;
inline constexpr std::int32_t kFifoLatch = 2;
inline constexpr std::int32_t kFifoParallelIrq = 3;

inline constexpr int kExtChannelPositions = 32;
inline constexpr std::int32_t kFewChannels = 16;
inline constexpr std::int32_t kAllChannels = 32;
// A channel-map entry for an absent position; the board's bytes above
// kHighestChannel are kept as this too.
inline constexpr std::uint8_t kAbsentChannel = 0xFF;
inline constexpr std::uint8_t kHighestChannel = 31;

// The largest block size per FIFO mode, and how many characters the dialog's
// block-size edit takes.
inline constexpr std::int32_t kMaxBlockSerial = 1024;
inline constexpr std::int32_t kMaxBlockParallel = 2048;
inline constexpr std::size_t kBlockSizeDigits = 4;

// Speeds by speed code 1..8 (all 8 data bits, no parity, one stop bit).
inline constexpr std::array<std::uint32_t, 8> kExtComBauds = {115200, 57600, 38400, 19200,
                                                             9600,   4800,  2400,  1200};

// The test parameters: they keep their values from one run of the test to the
// next while the program runs.
struct ExtComParams {
  std::uint8_t speedCode = 3;  // 1..8, see kExtComBauds
  std::int32_t blockSize = 256;
  std::int32_t lineMode = 4;  // 0 RS485 monitor .. 4 internal loop
  std::int32_t fifoMode = kFifoByteMode;
  std::int32_t irqFlag = 0;  // 1 in FIFO modes 1 and 3
  std::int32_t codePattern = 0;  // 0 "0-1-2-3", 1 "FF-00-FF", -1 after typed text
  std::int32_t channelCount = kFewChannels;
  bool operator==(const ExtComParams&) const = default;
};

// What the parameters dialog holds when OK is pressed: the selected entries
// (-1 for none; the two editable boxes have none once text was typed into
// them) and the text of the block-size edit.
struct ExtComDialogChoice {
  int speedIndex = -1;
  int fifoIndex = -1;
  std::string blockText;
  int lineIndex = -1;
  int codeIndex = -1;
  int channelIndex = -1;  // 0 = "16"; anything else counts as 32
};

// The dialog's state when it opens on `params`.
ExtComDialogChoice DialogChoiceFor(const ExtComParams& params);

// What OK stores, in its order: speed code, FIFO mode (and IRQ flag when the
// mode is 0..3), block size from the edit's first four characters capped by the
// FIFO mode, line mode, code pattern, channel count.
ExtComParams ApplyDialogOk(const ExtComParams& current, const ExtComDialogChoice& choice);

// The block-size edit's text as a number: its leading decimal digits, at most
// four of them (empty text gives 0).
std::int32_t BlockSizeFromText(std::string_view text);

// The parameters given on the command line ("ext-com:fifo=3,block=2048,...").
struct ExtComArgs {
  std::optional<std::uint8_t> speedCode;
  std::optional<std::int32_t> fifoMode;
  std::optional<std::int32_t> blockSize;
  std::optional<std::int32_t> lineMode;
  std::optional<std::int32_t> codePattern;
  std::optional<std::int32_t> channelCount;
  // End the test after this many cycles, as if ESC came right after it.
  std::optional<std::uint32_t> cycles;
};

// Parses "KEY=VALUE[,KEY=VALUE...]" with the keys cycles, speed, fifo, block,
// line, code, channels. On a mistake sets `error` (naming the parameter) and
// returns false.
bool ParseExtComArgs(std::string_view text, ExtComArgs& args, std::string& error);

// Stores the given parameters over `current` as the dialog's OK would store
// them: the dialog opened on `current`, the given fields changed, then OK (so
// the block size is capped by the FIFO mode in force afterwards).
ExtComParams ApplyExtComArgs(const ExtComParams& current, const ExtComArgs& args);

// The test's state that lives as long as the station: the parameters, the
// board's last replies, and the cycle limit of the run being started.
struct ExtComState {
  ExtComParams params;
  std::uint8_t accessTiming = 0;
  std::array<std::uint8_t, kExtChannelPositions> channelMap{};
  struct FifoCounters {
    std::uint32_t a = 0, b = 0, c = 0, d = 0;
  };
  std::array<FifoCounters, kExtChannelPositions> fifoCounters{};
  // Set by the command line's cycles=N for one run; never by the window.
  std::optional<std::uint32_t> cycleLimit;
};

}  // namespace rz
