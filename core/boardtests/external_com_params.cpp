#include "boardtests/external_com_params.h"

#include <algorithm>
#include <charconv>

namespace rz {

ExtComDialogChoice DialogChoiceFor(const ExtComParams& params) {
  ExtComDialogChoice choice;
  choice.speedIndex = params.speedCode - 1;
  choice.fifoIndex = params.fifoMode;
  choice.blockText = std::to_string(params.blockSize);
  choice.lineIndex = params.lineMode;
  choice.codeIndex = params.codePattern;
  choice.channelIndex = params.channelCount == kFewChannels ? 0 : 1;
  return choice;
}

std::int32_t BlockSizeFromText(std::string_view text) {
  std::int32_t value = 0;
  for (std::size_t i = 0; i < text.size() && i < kBlockSizeDigits; ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

ExtComParams ApplyDialogOk(const ExtComParams& current, const ExtComDialogChoice& choice) {
  ExtComParams params = current;
  params.speedCode = static_cast<std::uint8_t>(choice.speedIndex + 1);
  params.fifoMode = choice.fifoIndex;
  if (params.fifoMode >= kFifoByteMode && params.fifoMode <= kFifoParallelIrq) {
    params.irqFlag = params.fifoMode == kFifoSerialIrq || params.fifoMode == kFifoParallelIrq ? 1 : 0;
  }
  const std::int32_t cap = params.fifoMode == kFifoParallelIrq ? kMaxBlockParallel : kMaxBlockSerial;
  params.blockSize = std::min(BlockSizeFromText(choice.blockText), cap);
  params.lineMode = choice.lineIndex;
  params.codePattern = choice.codeIndex;
  params.channelCount = choice.channelIndex == 0 ? kFewChannels : kAllChannels;
  return params;
}

namespace {

bool ToNumber(std::string_view text, std::uint64_t max, std::uint64_t& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

// One KEY=VALUE; returns an empty string or what is wrong.
std::string ParseOne(std::string_view key, std::string_view value, ExtComArgs& args) {
  std::uint64_t n = 0;
  auto number = [&](std::uint64_t min, std::uint64_t max, const char* range) -> std::string {
    if (!ToNumber(value, max, n) || n < min) return std::string(key) + " takes " + range;
    return {};
  };
  auto once = [&](bool given) -> std::string {
    return given ? std::string(key) + " is given twice" : std::string();
  };
  std::string error;
  if (key == "cycles") {
    if (!(error = once(args.cycles.has_value())).empty()) return error;
    if (!(error = number(1, UINT32_MAX, "a number of cycles from 1")).empty()) return error;
    args.cycles = static_cast<std::uint32_t>(n);
  } else if (key == "speed") {
    if (!(error = once(args.speedCode.has_value())).empty()) return error;
    const auto found = ToNumber(value, UINT32_MAX, n)
                           ? std::find(kExtComBauds.begin(), kExtComBauds.end(), n)
                           : kExtComBauds.end();
    if (found == kExtComBauds.end()) {
      return "speed takes 115200, 57600, 38400, 19200, 9600, 4800, 2400 or 1200";
    }
    args.speedCode = static_cast<std::uint8_t>(found - kExtComBauds.begin() + 1);
  } else if (key == "fifo") {
    if (!(error = once(args.fifoMode.has_value())).empty()) return error;
    if (!(error = number(0, 3, "0, 1, 2 or 3")).empty()) return error;
    args.fifoMode = static_cast<std::int32_t>(n);
  } else if (key == "block") {
    if (!(error = once(args.blockSize.has_value())).empty()) return error;
    if (!(error = number(0, 9999, "0..9999 (at most 1024 is kept in FIFO modes 0-2, 2048 in mode 3)")).empty()) {
      return error;
    }
    args.blockSize = static_cast<std::int32_t>(n);
  } else if (key == "line") {
    if (!(error = once(args.lineMode.has_value())).empty()) return error;
    if (!(error = number(0, 4, "0..4")).empty()) return error;
    args.lineMode = static_cast<std::int32_t>(n);
  } else if (key == "code") {
    if (!(error = once(args.codePattern.has_value())).empty()) return error;
    if (!(error = number(0, 1, "0 or 1")).empty()) return error;
    args.codePattern = static_cast<std::int32_t>(n);
  } else if (key == "channels") {
    if (!(error = once(args.channelCount.has_value())).empty()) return error;
    if (value != "16" && value != "32") return "channels takes 16 or 32";
    args.channelCount = value == "16" ? kFewChannels : kAllChannels;
  } else {
    return "unknown parameter '" + std::string(key) +
           "' (known: cycles, speed, fifo, block, line, code, channels)";
  }
  return {};
}

}  // namespace

bool ParseExtComArgs(std::string_view text, ExtComArgs& args, std::string& error) {
  ExtComArgs parsed;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view item = text.substr(start, comma == std::string_view::npos ? comma : comma - start);
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0) {
      error = "'" + std::string(item) + "' is not KEY=VALUE";
      return false;
    }
    error = ParseOne(item.substr(0, eq), item.substr(eq + 1), parsed);
    if (!error.empty()) return false;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  args = parsed;
  return true;
}

ExtComParams ApplyExtComArgs(const ExtComParams& current, const ExtComArgs& args) {
  ExtComDialogChoice choice = DialogChoiceFor(current);
  if (args.speedCode) choice.speedIndex = *args.speedCode - 1;
  if (args.fifoMode) choice.fifoIndex = *args.fifoMode;
  if (args.blockSize) choice.blockText = std::to_string(*args.blockSize);
  if (args.lineMode) choice.lineIndex = *args.lineMode;
  if (args.codePattern) choice.codeIndex = *args.codePattern;
  if (args.channelCount) choice.channelIndex = *args.channelCount == kFewChannels ? 0 : 1;
  return ApplyDialogOk(current, choice);
}

}  // namespace rz
