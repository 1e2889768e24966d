// The board's UDP side: junk and the reply faults without sockets, and the
// delay of a Flash write's answer through the board's socket on loopback.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "udp_commands.h"
#include "udp_side.h"

namespace rzsim {
namespace {

Bytes Request(std::uint8_t command, std::initializer_list<std::uint32_t> words, const Bytes& data = {}) {
  Bytes request = {'V', 'E', 'L', 'U', 'M', 'A', 'R', command};
  for (const std::uint32_t word : words) PutLe32(request, word);
  request.insert(request.end(), data.begin(), data.end());
  return request;
}

TEST(UdpCommands, MalformedRequestsGetNoAnswer) {
  BoardMemory memory;
  UdpFaults faults;
  const FlashFaults flash;
  UdpCommands commands(faults, flash);
  Bytes badMagic = Request('E', {0});
  badMagic[0] = 'v';
  const Bytes cases[] = {
      {},
      {'V', 'E', 'L', 'U', 'M', 'A', 'R'},
      badMagic,
      Request('X', {0}),
      Request('E', {0, 0}),                 // too long for 'E'
      Request('R', {0}),                    // too short for 'R'
      Request('W', {0, 4}, {1, 2, 3}),      // fewer data bytes than announced
      Request('W', {0, 0xFFFFFFFF}, {1}),   // a length that overflows
  };
  for (const Bytes& request : cases) EXPECT_FALSE(commands.Answer(request, memory)) << request.size();
}

TEST(UdpCommands, RepliesFollowTheFaultsForTheirCommandsAndCount) {
  BoardMemory memory;
  UdpFaults faults;
  faults.shortReply = "R";
  faults.failStatus = "W";
  faults.faultyReplies = 2;
  faults.dropEvery = 5;
  const FlashFaults flash;
  UdpCommands commands(faults, flash);
  const Bytes read = Request('R', {0, 4});
  EXPECT_EQ(commands.Answer(read, memory)->size(), 11u);  // one byte short
  EXPECT_EQ((*commands.Answer(Request('W', {0, 1}, {0xFF}), memory))[7], 'F');
  EXPECT_EQ(commands.Answer(read, memory)->size(), 12u);  // the two faulty answers are spent
  EXPECT_EQ((*commands.Answer(Request('W', {0, 1}, {0xFF}), memory))[7], 'Q');
  EXPECT_FALSE(commands.Answer(read, memory));  // the fifth datagram is dropped
  EXPECT_EQ(commands.Answer(read, memory)->size(), 12u);
}

TEST(UdpCommands, APieceAcknowledgedWithoutWritingStaysErased) {
  BoardMemory memory;
  const UdpFaults faults;
  FlashFaults flash;
  flash.ackWithoutWrite = {1};
  UdpCommands commands(faults, flash);
  for (const std::uint32_t address : {0x200u, 0x200u, 0u}) {
    EXPECT_EQ((*commands.Answer(Request('W', {address, 512}, Bytes(512, 0)), memory))[7], 'Q');
  }
  EXPECT_EQ(std::count(memory.flash.begin(), memory.flash.begin() + 0x200, 0), 0x200);
  EXPECT_EQ(std::count(memory.flash.begin() + 0x200, memory.flash.begin() + 0x400, 0xFF), 0x200);
}

TEST(UdpSide, AWriteIsAnsweredAfterTheFlashWriteDelayAndAReadAtOnce) {
  using namespace std::chrono_literals;
  const UdpFaults faults;
  FlashFaults flash;
  flash.writeDelayMs = 400;
  UdpSide side(faults, flash, nullptr);
  // A loopback address of this process's own.
  const std::array<std::uint8_t, 4> board = {127, static_cast<std::uint8_t>(1 + ::getpid() % 250), 77, 2};
  side.Follow(board);
  ASSERT_GE(side.fd(), 0);
  const int client = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(kUdpPort);
  std::memcpy(&to.sin_addr.s_addr, board.data(), 4);
  BoardMemory memory;
  for (const Bytes& request : {Request('R', {0, 4}), Request('W', {0, 1}, {0x00})}) {
    const auto sent = UdpSide::Clock::now();
    ::sendto(client, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    pollfd pfd{side.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 1000), 1);
    side.ReceiveAll(memory);
    // An answer due at once has left already; the write's waits.
    const auto due = side.NextDue();
    ASSERT_EQ(due.has_value(), request[7] == 'W') << request[7];
    if (due) {
      EXPECT_GE(*due - sent, 400ms);
    }
  }
  ::close(client);
}

}  // namespace
}  // namespace rzsim
