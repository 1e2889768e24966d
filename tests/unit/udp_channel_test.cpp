// The UDP channel against a board played by a raw socket on loopback: the
// waits and resends of the exchange, the reply checks, strangers and junk, the
// abort flag, and the creation of the station's socket.

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <thread>

#include "app/ethernet_texts.h"
#include "app/texts.h"
#include "flash/flash_channel.h"
#include "link/exchange.h"
#include "link/udp_channel.h"
#include "link/udp_commands.h"
#include "loopback_udp.h"
#include "operations/station_ports.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

const std::string kHeader = " Чтение Flash: ";
const std::string kPercent = "37%";

class UdpChannelTest : public ScriptedStation {
 protected:
  // A station bound to a loopback address, its board address another one.
  void StartUdp(milliseconds replyWait) {
    StartWithProgram(64);
    station.udp.backend = &backend_;
    station.udp.localAddress = pair.station;
    station.udp.storedAddress = pair.board;
    station.udp.socket = OpenUdpSocket(station);
    ASSERT_NE(station.udp.socket, nullptr);
    station.udp.replyWait = std::chrono::duration_cast<std::chrono::microseconds>(replyWait);
    progress = UdpFlashChannel(station);
    progress->BeginProgress(kHeader.c_str());
    progress->ShowProgress(37);
    ui.addCalls.clear();
    sleeps.clear();
  }
  Ipv4Endpoint StationEndpoint() const { return {pair.station, kUdpPort}; }
  // The progress line with `suffix`, as the exchange shows it.
  static std::pair<int, std::string> Line(const std::string& suffix) { return {-1, kHeader + kPercent + suffix}; }
  // A request for 'R' of `length` bytes at `address`.
  ExchangeResult Read(std::uint32_t length, std::vector<std::uint8_t>& into) {
    into.assign(length, 0);
    return ReadFlashBlockUdp(station, 0x1000, length, into.data());
  }
  // Datagrams the board gets within `waitMs` of each other.
  int CountRequests(int waitMs) {
    int n = 0;
    while (board.Receive(waitMs)) ++n;
    return n;
  }

  LoopbackPair pair = NextLoopbackPair();
  LoopbackPeer board{pair.board};
  LoopbackOnlyBackend backend_;
  std::unique_ptr<FlashChannel> progress;
};

TEST_F(UdpChannelTest, SilentBoardWaitsThreeTimesPerSendAndGivesUpAfterTheFifth) {
  StartUdp(milliseconds(15));
  EXPECT_EQ(EraseFlashBlockUdp(station, 0x4000), kExchangeFailed);

  // Per send: from the second on "" then " [Повтор команды]"; then three waits,
  // each ending with "" then " [Жду ответа]".
  std::vector<std::pair<int, std::string>> expected;
  for (int send = 1; send <= kDatagramSends; ++send) {
    if (send > 1) {
      expected.push_back(Line(""));
      expected.push_back(Line(kSuffixRepeating));
    }
    for (int wait = 0; wait < kWaitsPerSend; ++wait) {
      expected.push_back(Line(""));
      expected.push_back(Line(kSuffixWaiting));
    }
  }
  EXPECT_EQ(ui.addCalls, expected);
  EXPECT_EQ(sleeps, std::vector<milliseconds>(expected.size() / 2, kSuffixPause));
  // Five identical requests: magic, 'E', the address little-endian.
  const std::vector<std::uint8_t> request = {'V', 'E', 'L', 'U', 'M', 'A', 'R', 'E', 0x00, 0x40, 0x00, 0x00};
  for (int i = 0; i < kDatagramSends; ++i) EXPECT_EQ(board.Receive(0), request) << i;
  EXPECT_FALSE(board.Receive(0));
  // The exchange ends with the suffix still on the line.
  EXPECT_EQ(ui.Lines().back(), kHeader + kPercent + kSuffixWaiting);
}

TEST_F(UdpChannelTest, AnAnswerAfterTheSecondWaitShowsOneWaitingSuffix) {
  StartUdp(milliseconds(500));
  std::thread peer([this] {
    Ipv4Endpoint from;
    if (!board.Receive(2000, &from)) return;
    // Into the middle of the second wait, far from either end on a loaded machine.
    std::this_thread::sleep_for(milliseconds(750));
    board.Send(ReplyDatagram('Q'), from);
  });
  EXPECT_EQ(EraseFlashBlockUdp(station, 0), kExchangeOk);
  peer.join();
  EXPECT_EQ(ui.addCalls, (std::vector<std::pair<int, std::string>>{Line(""), Line(kSuffixWaiting)}));
  // The next percentage replaces the whole line.
  progress->ShowProgress(38);
  EXPECT_EQ(ui.Lines().back(), kHeader + "38%");
}

TEST_F(UdpChannelTest, InvalidRepliesFailAtOnceAndAreNeverAnsweredByAResend) {
  StartUdp(milliseconds(100));
  const std::vector<std::uint8_t> data(4, 0x5A);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> reply;
  };
  const Case cases[] = {
      {"shorter than 8 bytes", {'V', 'E', 'L', 'U', 'M', 'A', 'R'}},
      {"wrong magic", {'V', 'E', 'L', 'U', 'M', 'A', 'X', 'Q', 1, 2, 3, 4}},
      {"status F", ReplyDatagram('F', data)},
      {"one byte short", ReplyDatagram('Q', {1, 2, 3})},
      {"one byte long", ReplyDatagram('Q', {1, 2, 3, 4, 5})},
      {"larger than the exchange buffer", ReplyDatagram('Q', std::vector<std::uint8_t>(3000, 7))},
  };
  for (const Case& c : cases) {
    std::thread peer([&] {
      Ipv4Endpoint from;
      if (board.Receive(2000, &from)) board.Send(c.reply, from);
    });
    std::vector<std::uint8_t> into;
    EXPECT_EQ(Read(4, into), kExchangeFailed) << c.what;
    peer.join();
    EXPECT_EQ(into, std::vector<std::uint8_t>(4, 0)) << c.what;  // nothing copied
    EXPECT_EQ(CountRequests(150), 0) << c.what << ": no resend";
  }
  EXPECT_TRUE(ui.addCalls.empty());
}

TEST_F(UdpChannelTest, StrangersAndJunkAreIgnoredAndTheBoardKeepsItsAddress) {
  StartUdp(milliseconds(1000));
  Address strangerAddress = pair.board;
  strangerAddress[3] = 3;
  LoopbackPeer stranger(strangerAddress);
  const std::vector<std::uint8_t> data(512, 0xA5);
  std::thread peer([&] {
    Ipv4Endpoint from;
    if (!board.Receive(2000, &from)) return;
    // A burst from a stranger first: forged valid replies, junk, giants.
    for (int i = 0; i < 40; ++i) {
      stranger.Send(ReplyDatagram('Q', std::vector<std::uint8_t>(512, 0)), StationEndpoint());
      stranger.Send(std::vector<std::uint8_t>(static_cast<std::size_t>(i), 0xEE), StationEndpoint());
      stranger.Send(std::vector<std::uint8_t>(3000, 0x11), StationEndpoint());
    }
    std::this_thread::sleep_for(milliseconds(50));
    board.Send(ReplyDatagram('Q', data), from);
  });
  std::vector<std::uint8_t> into;
  EXPECT_EQ(Read(512, into), kExchangeOk);
  peer.join();
  EXPECT_EQ(into, data);
  // (The kernel may drop part of the burst when the socket's buffer is full.)
  EXPECT_GT(station.udp.strangersIgnored, 0u);
  EXPECT_LE(station.udp.strangersIgnored, 120u);
  EXPECT_EQ(station.udp.boardAddress.address, pair.board);
  EXPECT_TRUE(ui.addCalls.empty());  // it all happened within the first wait
  EXPECT_FALSE(stranger.Receive(0));  // nothing was ever sent to the stranger
}

TEST_F(UdpChannelTest, AReplyFromAnotherPortOfTheBoardIsNoReply) {
  StartUdp(milliseconds(300));
  LoopbackPeer otherPort(pair.board, 14000);
  std::thread peer([&] {
    Ipv4Endpoint from;
    if (!board.Receive(2000, &from)) return;
    for (int i = 0; i < 50; ++i) otherPort.Send(ReplyDatagram('Q', {6, 6, 6, 6}), from);
    board.Send(ReplyDatagram('Q', {1, 2, 3, 4}), from);
  });
  std::vector<std::uint8_t> into;
  EXPECT_EQ(Read(4, into), kExchangeOk);
  peer.join();
  EXPECT_EQ(into, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(station.udp.boardAddress, (Ipv4Endpoint{pair.board, kUdpPort}));
  EXPECT_EQ(station.udp.strangersIgnored, 50u);
}

TEST_F(UdpChannelTest, ALateReplyToAnEarlierRequestIsNotTakenForTheNextOne) {
  StartUdp(milliseconds(1000));
  // A reply that arrived after its exchange had ended.
  board.Send(ReplyDatagram('Q', {9, 9, 9, 9}), StationEndpoint());
  std::this_thread::sleep_for(milliseconds(20));
  std::thread peer([&] {
    Ipv4Endpoint from;
    if (board.Receive(2000, &from)) board.Send(ReplyDatagram('Q', {1, 2, 3, 4}), from);
  });
  std::vector<std::uint8_t> into;
  EXPECT_EQ(Read(4, into), kExchangeOk);
  peer.join();
  EXPECT_EQ(into, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(station.udp.surplusDropped, 1u);  // a trace the transfer checks
}

TEST_F(UdpChannelTest, AnIdentifiedReadDropsAnswersOfAnotherLengthAndWaitsOn) {
  StartUdp(milliseconds(1000));
  std::thread peer([&] {
    Ipv4Endpoint from;
    if (!board.Receive(2000, &from)) return;
    board.Send(ReplyDatagram('Q', {7, 7, 7, 7, 7}), from);  // a late answer to a longer read
    board.Send(ReplyDatagram('Q', {1, 2, 3, 4}), from);
  });
  std::array<std::uint8_t, 4> into{};
  EXPECT_EQ(ReadFlashBlockUdp(station, 0, 4, into.data(), true), kExchangeOk);
  peer.join();
  EXPECT_EQ(into, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(station.udp.surplusDropped, 1u);
  EXPECT_EQ(station.udp.resends, 0u);
}

TEST_F(UdpChannelTest, TheAbortFlagEndsEveryExchangeWithinASliceAndStaysSet) {
  StartUdp(milliseconds(60));
  station.flags.RequestAbort();
  EXPECT_EQ(EraseFlashBlockUdp(station, 0), kExchangeFailed);
  std::vector<std::uint8_t> into;
  EXPECT_EQ(Read(4, into), kExchangeFailed);
  const std::vector<std::uint8_t> piece(16, 0x42);
  EXPECT_EQ(WriteFlashBlockUdp(station, 0, piece), kExchangeFailed);
  EXPECT_TRUE(station.flags.AbortRequested());  // left set by all three
  EXPECT_EQ(CountRequests(30), 0);  // nothing was sent
  station.flags.ClearAbort();

  // ESC in the middle of a long wait ends it within a slice, and the
  // repetition fails at once.
  station.udp.replyWait = std::chrono::seconds(5);
  for (int command = 0; command < 2; ++command) {
    std::thread escape([&] {
      if (board.Receive(2000)) station.flags.RequestAbort();
    });
    int attempts = 0;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(WithOneRepetition([&] {
                ++attempts;
                return command == 0 ? WriteFlashBlockUdp(station, 0x20, piece) : EraseFlashBlockUdp(station, 0);
              }),
              kExchangeFailed);
    escape.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(station.flags.AbortRequested());
    EXPECT_EQ(CountRequests(30), 0);  // the repetition sent nothing
    station.flags.ClearAbort();
  }
}

// A socket layer whose steps can be made to fail.
class FaultyBackend final : public DatagramBackend {
 public:
  bool Startup() override { return startup; }
  std::unique_ptr<DatagramSocket> CreateSocket() override { return create ? real.CreateSocket() : nullptr; }
  std::optional<Address> HostAddress() override { return host; }
  bool startup = true;
  bool create = true;
  std::optional<Address> host;
  LoopbackOnlyBackend real;
};

TEST_F(UdpChannelTest, CreatingTheSocketReportsEachFailureOnceOrStaysQuiet) {
  StartWithProgram(64);
  FaultyBackend faulty;
  station.udp.backend = &faulty;
  struct Case {
    const char* what;
    bool startup, create;
    std::optional<Address> host;
    std::optional<Address> local;
    const char* message;  // nullptr: no message
    bool socket;
  };
  const LoopbackPair other = NextLoopbackPair();
  LoopbackPeer occupant(other.station);  // holds other.station:13330
  const Case cases[] = {
      {"socket layer", false, true, std::nullopt, pair.station, text::kSocketLayerError, false},
      {"no socket", true, false, std::nullopt, pair.station, text::kSocketCreateError, false},
      {"name resolves to loopback", true, true, Address{127, 0, 1, 1}, std::nullopt, nullptr, false},
      {"name not found", true, true, std::nullopt, std::nullopt, nullptr, false},
      {"address taken", true, true, std::nullopt, other.station, text::kSocketBindError, false},
      {"explicit loopback", true, true, Address{127, 0, 1, 1}, pair.station, nullptr, true},
  };
  for (const Case& c : cases) {
    faulty.startup = c.startup;
    faulty.create = c.create;
    faulty.host = c.host;
    station.udp.localAddress = c.local;
    station.udp.boardAddress = {};
    ui.messages.clear();
    sleeps.clear();
    const auto socket = OpenUdpSocket(station);
    EXPECT_EQ(socket != nullptr, c.socket) << c.what;
    if (c.message == nullptr) {
      EXPECT_TRUE(ui.messages.empty()) << c.what;
    } else {
      ASSERT_EQ(ui.messages.size(), 1u) << c.what;
      EXPECT_EQ(ui.messages[0].caption, text::kErrorCaption);
      EXPECT_EQ(ui.messages[0].text, c.message);
      EXPECT_FALSE(ui.messages[0].ownedByWindow);
    }
    if (c.socket) {
      EXPECT_EQ(station.udp.boardAddress, (Ipv4Endpoint{station.udp.storedAddress, kUdpPort}));
    }
    EXPECT_EQ(sleeps.size(), c.startup ? 1u : 0u) << c.what;
  }
}

TEST(LoopbackGuard, ANonLoopbackDestinationFailsTheTestInsteadOfSending) {
  LoopbackOnlyBackend backend;
  auto socket = backend.CreateSocket();
  ASSERT_NE(socket, nullptr);
  const std::uint8_t byte = 0;
  EXPECT_NONFATAL_FAILURE(
      EXPECT_FALSE(socket->SendTo(&byte, 1, {kDefaultBoardAddress, kUdpPort})), "not a loopback address");
  EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(socket->Bind({{10, 0, 0, 1}, kUdpPort})), "not a loopback address");
}

}  // namespace
}  // namespace rz::testing
