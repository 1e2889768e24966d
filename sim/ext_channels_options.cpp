#include "ext_channels_options.h"

#include <vector>

#include "options.h"

namespace rzsim {
namespace {

constexpr std::uint64_t kMax8 = 0xFF;
constexpr std::uint64_t kMax32 = 0xFFFFFFFF;
constexpr std::size_t kMaxScript = 4096;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> items;
  for (std::size_t start = 0;;) {
    const std::size_t at = text.find(separator, start);
    items.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return items;
    start = at + 1;
  }
}

std::string NotANumber(std::string_view item, std::uint64_t max) {
  return "'" + std::string(item) + "' is not a number up to " + std::to_string(max);
}

// "INDEX<sep>REST" with INDEX below 32.
std::string IndexAnd(std::string_view value, char separator, std::size_t& index, std::string_view& rest) {
  const std::size_t at = value.find(separator);
  if (at == std::string_view::npos) return "expected N" + std::string(1, separator) + "...";
  const auto n = ParseNumber(value.substr(0, at), kExtChannels - 1);
  if (!n) return NotANumber(value.substr(0, at), kExtChannels - 1);
  index = static_cast<std::size_t>(*n);
  rest = value.substr(at + 1);
  return {};
}

}  // namespace

std::string ApplyExtMap(std::string_view value, ExtChannelsModel& model) {
  for (std::string_view item : Split(value, ',')) {
    std::size_t position = 0;
    std::string_view byte;
    if (std::string error = IndexAnd(item, '=', position, byte); !error.empty()) return error;
    const auto n = ParseNumber(byte, kMax8);
    if (!n) return NotANumber(byte, kMax8);
    model.map[position] = static_cast<std::uint8_t>(*n);
  }
  return {};
}

std::string ApplyExtStatus(std::string_view value, ExtChannelsModel& model) {
  std::size_t channel = 0;
  std::string_view list;
  if (std::string error = IndexAnd(value, ':', channel, list); !error.empty()) return error;
  std::vector<std::uint8_t> script;
  for (std::string_view item : Split(list, ',')) {
    const auto n = ParseNumber(item, kMax8);
    if (!n) return NotANumber(item, kMax8);
    if (script.size() == kMaxScript) return "at most " + std::to_string(kMaxScript) + " status bytes";
    script.push_back(static_cast<std::uint8_t>(*n));
  }
  model.status[channel] = std::move(script);
  return {};
}

std::string ApplyExtFifo(std::string_view value, ExtChannelsModel& model) {
  std::size_t position = 0;
  std::string_view list;
  if (std::string error = IndexAnd(value, ':', position, list); !error.empty()) return error;
  const auto items = Split(list, ',');
  if (items.size() != 4) return "expected four counters A,B,C,D";
  std::array<std::uint32_t, 4> counters{};
  for (std::size_t k = 0; k < 4; ++k) {
    const auto n = ParseNumber(items[k], kMax32);
    if (!n) return NotANumber(items[k], kMax32);
    counters[k] = static_cast<std::uint32_t>(*n);
  }
  model.fifo[position] = counters;
  return {};
}

std::string ApplyExtSilentFrom(std::string_view value, ExtChannelsFaults& faults) {
  const auto parts = Split(value, ':');
  constexpr std::string_view kOpcodes = "nkhupz";
  if (parts.size() > 2 || parts[0].size() != 1 || kOpcodes.find(parts[0][0]) == std::string_view::npos) {
    return "expected one of n, k, h, u, p, z, optionally followed by :N";
  }
  std::uint32_t from = 1;
  if (parts.size() == 2) {
    const auto n = ParseNumber(parts[1], kMax32);
    if (!n || *n == 0) return "commands are counted from 1";
    from = static_cast<std::uint32_t>(*n);
  }
  faults.silentOpcode = static_cast<std::uint8_t>(parts[0][0]);
  faults.silentFrom = from;
  return {};
}

}  // namespace rzsim
