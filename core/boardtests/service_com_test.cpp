#include "boardtests/service_com_test.h"

#include <cstdio>

#include "app/measurement.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/board_test_texts.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

constexpr std::uint8_t kOpcodeV7 = 'C';
constexpr std::uint8_t kOpcodeV5 = 'c';

// OK for `ok`, NC (not connected) for `notConnected`, an error otherwise.
std::string Check(const char* name, unsigned value, unsigned notConnected, bool& allOk) {
  if (value != 0) allOk = false;
  const char* result = value == 0 ? text::kLineOk : value == notConnected ? text::kLineNotConnected : text::kLineError;
  return std::string(name) + result;
}

std::string Word(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04x", static_cast<unsigned>(value));
  return buffer;
}

enum class LoopEnd { Passed, Mismatch, Aborted };

// Sends byte i mod 256 for i = 0 .. count-1 and awaits each one back, with the
// percentage on the last line whenever its figure changes.
LoopEnd RunLoop(StationUi& ui, SerialExchange& exchange) {
  const std::string prefix = text::kServiceLoop;
  std::uint32_t shown = 100;  // so that the first byte shows its figure
  for (std::uint32_t i = 0; i < kServiceLoopCount; ++i) {
    const std::uint32_t percent = i * 100 / kServiceLoopCount;
    if (percent != shown) {
      ui.AddJournalLine(-1, prefix + std::to_string(percent) + "%");
      shown = percent;
    }
    const auto sent = static_cast<std::uint8_t>(i % 256);
    exchange.Write8(sent);
    std::uint8_t echoed = 0;
    if (!exchange.Await8(echoed)) return LoopEnd::Aborted;
    if (echoed != sent) {
      ui.AddJournalLine(-1, prefix + std::to_string(shown) + "%" + text::kServiceLoopError);
      return LoopEnd::Mismatch;
    }
  }
  return LoopEnd::Passed;
}

}  // namespace

std::vector<std::string> DescribeServiceLines(bool v7, const ServiceLineReport& report, bool& allOk) {
  allOk = true;
  std::vector<std::string> lines;
  if (v7) {
    lines.push_back(Check(text::kDtrDcdCheck, report.status, 0x01, allOk));
    if (report.status != 0) {
      lines.push_back(" Old=" + Word(report.oldWord) + " True=" + Word(report.trueWord) + " Read=" +
                      Word(report.readWord));
    }
  } else {
    lines.push_back(Check(text::kRtsCheck, report.status & 0x0Fu, 0x01, allOk));
    lines.push_back(Check(text::kDtrDsrCheck, report.status & 0xF0u, 0x10, allOk));
  }
  return lines;
}

Outcome ServiceComTest(StationContext& station) {
  StationUi& ui = station.Ui();
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  const bool v7 = station.flags.serviceComVariant.load() == 1;
  Outcome outcome = Outcome::Aborted;
  {
    // One exchange from the command to the last line word.
    SerialExchange exchange(station);
    exchange.Write8(v7 ? kOpcodeV7 : kOpcodeV5);
    exchange.Write32(kServiceLoopCount);
    ui.AddJournalLine(0, "");
    ui.AddJournalLine(0, text::kServiceComHeading);
    ui.AddJournalLine(0, text::kServiceLoop);

    const LoopEnd loop = RunLoop(ui, exchange);
    if (loop == LoopEnd::Mismatch) outcome = Outcome::Failed;
    if (loop == LoopEnd::Passed) {
      ui.AddJournalLine(-1, text::kServiceLoopOk);
      ServiceLineReport report;
      if (exchange.Await8(report.status) && exchange.Await32(report.oldWord) && exchange.Await32(report.trueWord) &&
          exchange.Await32(report.readWord)) {
        bool allOk = true;
        for (const std::string& line : DescribeServiceLines(v7, report, allOk)) ui.AddJournalLine(0, line);
        outcome = allOk ? Outcome::Success : Outcome::Failed;
      }
    }
  }
  if (outcome != Outcome::Aborted) {
    Measure(station, {"service-com.errors", outcome == Outcome::Failed ? 1.0 : 0.0, ""});
  }
  ui.AddJournalLine(0, outcome == Outcome::Success ? text::kTestPassed : text::kAborted);
  return outcome;
}

}  // namespace rz
