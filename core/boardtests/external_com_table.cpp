#include "boardtests/external_com_table.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "app/station_ui.h"
#include "boardtests/external_com_texts.h"

namespace rz {
namespace {

constexpr int kNsPerStepAt74 = 28;
constexpr int kNsPerStepAt90 = 23;

// printf into a std::string, sized by the call itself.
__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

template <typename T, std::size_t N>
const char* Pick(const T (&texts)[N], std::int64_t index, const char* other) {
  return index >= 0 && index < static_cast<std::int64_t>(N) ? texts[index] : other;
}

// The result of a present channel, from its status byte.
std::string ChannelResult(std::int32_t fifoMode, std::uint8_t status) {
  const int kind = status & 3;
  if (fifoMode == kFifoLatch) {
    if (kind == 1) return "ER ";
    if (kind == 2) return "No ";
    if (kind == 3) return "";
    static constexpr const char* kLetters[] = {"n", "0", "1", "e"};
    return std::string(Pick(kLetters, status >> 5, "")) + Format("b%d", (status >> 2) & 7);
  }
  if (kind == 0) return Format("%02d ", status >> 2);
  return kind == 1 ? "ER " : "NC ";
}

}  // namespace

int AccessTimeNs(int cpuEntry, std::uint8_t accessTiming) {
  const int step = cpuEntry == kCpuEntry74 ? kNsPerStepAt74 : kNsPerStepAt90;
  return step * (9 - ((accessTiming >> 2) & 7));
}

std::string ExtComHeaderRow(const ExtComParams& params, int cpuEntry, std::uint8_t accessTiming) {
  std::string row = Pick(text::kExtComLineModes, params.lineMode, "");
  row += " ";
  row += Pick(text::kExtComSpeeds, static_cast<std::int64_t>(params.speedCode) - 1, text::kExtComUnknownSpeed);
  row += Format(" ns:%d", AccessTimeNs(cpuEntry, accessTiming));
  row += Format(" Байты:%d", params.blockSize);
  row += Pick(text::kExtComCodes, params.codePattern, "");
  return row;
}

std::string ExtComFifoRow(std::int32_t fifoMode, std::uint16_t cycle) {
  return std::string(text::kExtComChannel) + Pick(text::kExtComFifoModes, fifoMode, text::kExtComUnknownFifo) +
         text::kExtComErrors + Format("  Циклы:%d", cycle);
}

std::string ExtComEmptyRow(int position) { return Format("  %02d    ", position); }

std::string ExtComAbsentRow(int position) { return Format("  %02d        %s", position, text::kExtComAbsent); }

std::string ExtComChannelRow(std::int32_t fifoMode, std::uint8_t channel, std::uint8_t status,
                             std::uint16_t errors) {
  return Format("  %02d        ", channel) + ChannelResult(fifoMode, status) + "      " + Format("%d", errors);
}

std::string ExtComParallelRow(int position, const ExtComState::FifoCounters& counters, std::uint16_t errors) {
  return Format("  %02d     ", position) + Format("%04x/", counters.a) + Format("%04x    ", counters.b) +
         Format("%d/%x/%x", errors, counters.c, counters.d);
}

}  // namespace rz
