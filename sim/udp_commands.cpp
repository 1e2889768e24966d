#include "udp_commands.h"

#include <algorithm>
#include <array>

#include "flash_program.h"

namespace rzsim {

namespace {

constexpr std::array<std::uint8_t, 7> kMagic = {'V', 'E', 'L', 'U', 'M', 'A', 'R'};
constexpr std::size_t kHeader = 8;
// The Flash block map: 8 blocks of 16 KB, then 63 of 128 KB.
constexpr std::size_t kSmallBlock = 16 * 1024;
constexpr std::size_t kSmallBlocks = 8;
constexpr std::size_t kLargeBlock = 128 * 1024;

std::uint32_t Le32(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool Has(const std::string& commands, std::uint8_t command) {
  return commands.find(static_cast<char>(command)) != std::string::npos;
}

Bytes Reply(std::uint8_t status) {
  Bytes reply(kMagic.begin(), kMagic.end());
  reply.push_back(status);
  return reply;
}

}  // namespace

std::optional<Bytes> UdpCommands::Answer(std::span<const std::uint8_t> request, BoardMemory& memory) {
  ++received_;
  if (received_ <= faults_.dropFirst) return std::nullopt;
  if (faults_.dropEvery != 0 && received_ % faults_.dropEvery == 0) return std::nullopt;
  if (request.size() < kHeader || !std::equal(kMagic.begin(), kMagic.end(), request.begin())) return std::nullopt;
  const std::uint8_t command = request[kMagic.size()];
  const std::span<const std::uint8_t> args = request.subspan(kHeader);
  const bool wellFormed = (command == kUdpErase && args.size() == 4) || (command == kUdpRead && args.size() == 8) ||
                          (command == kUdpWrite && args.size() >= 8 && args.size() == 8 + Le32(args.subspan(4)));
  if (!wellFormed) return std::nullopt;
  Bytes reply = Execute(command, args, memory);
  ApplyReplyFaults(command, reply);
  return reply;
}

std::chrono::milliseconds UdpCommands::ExtraDelay(std::span<const std::uint8_t> request) const {
  const bool write = request.size() > kMagic.size() && request[kMagic.size()] == kUdpWrite;
  return std::chrono::milliseconds(write ? flashFaults_.writeDelayMs : 0);
}

Bytes UdpCommands::Execute(std::uint8_t command, std::span<const std::uint8_t> args, BoardMemory& memory) {
  std::vector<std::uint8_t>& flash = memory.flash;
  const std::size_t address = Le32(args);
  if (command == kUdpErase) {
    if (address >= flash.size()) return Reply(kUdpFailed);
    const std::size_t smallEnd = kSmallBlock * kSmallBlocks;
    const std::size_t start = address < smallEnd ? address / kSmallBlock * kSmallBlock
                                                 : smallEnd + (address - smallEnd) / kLargeBlock * kLargeBlock;
    const std::size_t size = address < smallEnd ? kSmallBlock : kLargeBlock;
    std::fill_n(flash.begin() + static_cast<std::ptrdiff_t>(start), size, std::uint8_t{0xFF});
    return Reply(kUdpDone);
  }
  const std::size_t length = Le32(args.subspan(4));
  if (length > kUdpMaxPiece || address > flash.size() || length > flash.size() - address) return Reply(kUdpFailed);
  if (command == kUdpRead) {
    Bytes reply = Reply(kUdpDone);
    const auto from = flash.begin() + static_cast<std::ptrdiff_t>(address);
    reply.insert(reply.end(), from, from + static_cast<std::ptrdiff_t>(length));
    return reply;
  }
  // Programming clears bits only; the board checks what it wrote.
  const bool verified = !ProgramFlash(flash, static_cast<std::uint32_t>(address), args.subspan(8, length), flashFaults_);
  return Reply(verified ? kUdpDone : kUdpFailed);
}

void UdpCommands::ApplyReplyFaults(std::uint8_t command, Bytes& reply) {
  const bool hit = Has(faults_.badMagic, command) || Has(faults_.shortReply, command) ||
                   Has(faults_.longReply, command) || Has(faults_.failStatus, command);
  if (!hit) return;
  if (faults_.faultyReplies != 0 && faulty_ >= faults_.faultyReplies) return;
  ++faulty_;
  if (Has(faults_.failStatus, command)) reply[kMagic.size()] = kUdpFailed;
  if (Has(faults_.badMagic, command)) reply[kMagic.size() - 1] = 'X';
  if (Has(faults_.shortReply, command)) reply.pop_back();
  if (Has(faults_.longReply, command)) reply.push_back(0);
}

}  // namespace rzsim
