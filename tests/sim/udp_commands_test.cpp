// The board's UDP side without sockets: junk and the reply faults.

#include <gtest/gtest.h>

#include <algorithm>

#include "udp_commands.h"

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

}  // namespace
}  // namespace rzsim
