// The UDP Flash commands and the Ethernet switch against the simulated board:
// the switch over the pseudo-terminal, the datagrams over loopback.

#include <gtest/gtest.h>

#include "app/ethernet_texts.h"
#include "app/ip_address.h"
#include "board_fixture.h"
#include "flash/flash_channel.h"
#include "link/exchange.h"
#include "link/udp_channel.h"
#include "link/udp_commands.h"
#include "loopback_udp.h"
#include "operations/control_handlers.h"
#include "operations/ethernet_switch.h"
#include "operations/operation_table.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

class UdpBoardTest : public BoardStationTest {
 protected:
  // Starts the board with `options`, downloads the program and switches
  // Ethernet work on at the board's loopback address.
  void StartOnEthernet(std::vector<std::string> options = {}) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStationWithUdp(std::move(options)));
    ASSERT_NE(station.udp.socket, nullptr);
    ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
    ASSERT_EQ(station.runner.Wait(), Outcome::Success);
    ASSERT_EQ(Switch(true, FormatIpv4(pair.board)), Outcome::Success);
    ASSERT_EQ(ui.Lines().back(), text::kEthernetAddressPrefix + FormatIpv4(pair.board));
    // The commands below run outside a transfer: a line of their own shows
    // their waiting and repeating suffixes.
    progress = UdpFlashChannel(station);
    progress->BeginProgress("");
  }
  Outcome Switch(bool on, const std::string& address = {}) {
    RequireLoopbackText(address);
    OperationArgs args;
    args.ethernetOn = on;
    args.ipAddressText = address;
    if (StartOperation(station, *FindOperationRow("ethernet"), &args) != StartResult::Started) return Outcome::Failed;
    return station.runner.Wait().value_or(Outcome::Failed);
  }
  // A switch-on text must name a loopback address (the socket refuses any
  // other destination too; this catches the mistake before the board is told).
  static void RequireLoopbackText(const std::string& address) {
    if (address.empty()) return;
    const auto parsed = ParseIpAddressText(address);
    if (parsed) RequireLoopback(*parsed, "board address");
  }
  ExchangeResult Write(std::uint32_t address, const std::vector<std::uint8_t>& data) {
    return WriteFlashBlockUdp(station, address, data);
  }
  std::vector<std::uint8_t> Read(std::uint32_t address, std::uint32_t length, ExchangeResult* result = nullptr) {
    std::vector<std::uint8_t> into(length, 0);
    const ExchangeResult r = ReadFlashBlockUdp(station, address, length, into.data());
    if (result != nullptr) *result = r;
    return into;
  }
  int CountSuffixes(const std::string& suffix) {
    int n = 0;
    for (const auto& [mode, line] : ui.addCalls) {
      if (mode == -1 && line.size() >= suffix.size() && line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) ++n;
    }
    return n;
  }

  std::unique_ptr<FlashChannel> progress;
};

std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
  return bytes;
}

TEST_F(UdpBoardTest, EraseWriteAndReadBackOnTheBoardsFlash) {
  StartOnEthernet();
  // Erased Flash reads 0xFF; one byte is a 16-byte request and a 9-byte reply.
  ASSERT_EQ(EraseFlashBlockUdp(station, 0), kExchangeOk);
  ExchangeResult result = kExchangeFailed;
  EXPECT_EQ(Read(0x100, 1, &result), std::vector<std::uint8_t>{0xFF});
  EXPECT_EQ(result, kExchangeOk);

  // The first two small blocks and the first large one, in pieces of 512.
  for (const std::uint32_t block : {0x0000u, 0x4000u, 0x20000u}) ASSERT_EQ(EraseFlashBlockUdp(station, block), kExchangeOk);
  const std::vector<std::uint8_t> image = Pattern(0x8000, 1);
  for (std::uint32_t at = 0; at < image.size(); at += 512) {
    ASSERT_EQ(Write(at, {image.begin() + at, image.begin() + at + 512}), kExchangeOk) << at;
  }
  ASSERT_EQ(Write(0x20000, {0x12, 0x34, 0x56}), kExchangeOk);
  std::vector<std::uint8_t> back;
  for (std::uint32_t at = 0; at < image.size(); at += 512) {
    const auto piece = Read(at, 512, &result);
    ASSERT_EQ(result, kExchangeOk) << at;
    back.insert(back.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(back, image);
  EXPECT_EQ(Read(0x20000, 4), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0xFF}));

  // Programming only clears bits: 0xF0 over 0x12 cannot be written.
  EXPECT_EQ(Write(0x20000, {0xF0}), kExchangeFailed);
  EXPECT_EQ(Read(0x20000, 1), std::vector<std::uint8_t>{0x10});
  // Erasing any address of a block erases the whole block.
  ASSERT_EQ(EraseFlashBlockUdp(station, 0x4321), kExchangeOk);
  EXPECT_EQ(Read(0x4000, 4), std::vector<std::uint8_t>(4, 0xFF));
  EXPECT_EQ(Read(0x3FFC, 4), (std::vector<std::uint8_t>(image.begin() + 0x3FFC, image.begin() + 0x4000)));
  // Outside the Flash the board refuses.
  EXPECT_EQ(EraseFlashBlockUdp(station, 0x800000), kExchangeFailed);
  Read(0x7FFFFF, 2, &result);
  EXPECT_EQ(result, kExchangeFailed);
  EXPECT_EQ(station.udp.strangersIgnored, 0u);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(UdpBoardTest, SwitchingOffStopsTheBoardsNetworkSide) {
  StartOnEthernet();
  station.udp.replyWait = milliseconds(20);
  ASSERT_EQ(EraseFlashBlockUdp(station, 0), kExchangeOk);
  const int before = ui.JournalLineCount();
  ASSERT_EQ(Switch(false), Outcome::Success);
  EXPECT_EQ(ui.LinesFrom(before), (std::vector<std::string>{"", text::kEthernetDisabled}));
  EXPECT_EQ(EraseFlashBlockUdp(station, 0), kExchangeFailed);  // nobody answers any more
  EXPECT_EQ(CountSuffixes(kSuffixWaiting), kDatagramSends * kWaitsPerSend);
}

// One fault of the board, what the first command and its one repetition give.
struct FaultCase {
  const char* name;
  std::vector<std::string> options;
  char command;        // 'E', 'W' or 'R'
  ExchangeResult firstResult;     // of the first attempt
  ExchangeResult repeatedResult;  // of the attempt that follows
  const char* suffix;  // a suffix the exchange must have shown, or nullptr
};

class UdpFaultTest : public UdpBoardTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(UdpFaultTest, TheCommandAndItsRepetition) {
  const FaultCase& c = GetParam();
  StartOnEthernet(c.options);
  station.udp.replyWait = milliseconds(300);
  ASSERT_EQ(c.command == 'E' ? kExchangeOk : EraseFlashBlockUdp(station, 0x40000), kExchangeOk);
  const std::vector<std::uint8_t> data = Pattern(512, 7);
  auto attempt = [&]() -> ExchangeResult {
    switch (c.command) {
      case 'E': return EraseFlashBlockUdp(station, 0x40000);
      case 'W': return Write(0x40000, data);
      default: {
        ExchangeResult result = kExchangeFailed;
        const auto got = Read(0x40000, 512, &result);
        // A successful read is the board's data, never a stranger's zeros.
        if (result == kExchangeOk) {
          EXPECT_EQ(got, std::vector<std::uint8_t>(512, 0xFF));
        }
        return result;
      }
    }
  };
  ui.addCalls.clear();
  EXPECT_EQ(attempt(), c.firstResult);
  EXPECT_EQ(attempt(), c.repeatedResult);
  if (c.suffix != nullptr) {
    EXPECT_GE(CountSuffixes(c.suffix), 1) << c.suffix;
  } else {
    EXPECT_TRUE(ui.addCalls.empty());
  }
  EXPECT_EQ(station.udp.boardAddress.address, pair.board);
}

const FaultCase kFaultCases[] = {
    {"WriteAlwaysF", {"--udp-fail", "W"}, 'W', kExchangeFailed, kExchangeFailed, nullptr},
    {"EraseF", {"--udp-fail", "E", "--udp-faulty", "1"}, 'E', kExchangeFailed, kExchangeOk, nullptr},
    {"ReadShortOnce", {"--udp-short", "R", "--udp-faulty", "1"}, 'R', kExchangeFailed, kExchangeOk, nullptr},
    {"ReadLongOnce", {"--udp-long", "R", "--udp-faulty", "1"}, 'R', kExchangeFailed, kExchangeOk, nullptr},
    {"BadMagicOnce", {"--udp-bad-magic", "W", "--udp-faulty", "1"}, 'W', kExchangeFailed, kExchangeOk, nullptr},
    {"FirstTwoDatagramsLost", {"--udp-drop-first", "2"}, 'E', kExchangeOk, kExchangeOk, kSuffixRepeating},
    {"EverySecondLost", {"--udp-drop-every", "2"}, 'R', kExchangeOk, kExchangeOk, kSuffixRepeating},
    {"LateAnswers", {"--udp-delay", "450"}, 'R', kExchangeOk, kExchangeOk, kSuffixWaiting},
    {"StrangerAnswersFirst", {"--udp-stranger"}, 'R', kExchangeOk, kExchangeOk, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Faults, UdpFaultTest, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& param) { return param.param.name; });

}  // namespace
}  // namespace rz::testing
