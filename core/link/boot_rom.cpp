#include "link/boot_rom.h"

#include "link/link_context.h"

namespace rz {

bool SendBootByte(PortHandle port, std::uint8_t byte) { return SerialWrite(port, &byte, 1) == 1; }

bool AwaitBootHello(LinkContext& link) {
  link.awaitingBoard.store(true);
  bool hello = false;
  for (;;) {
    std::uint8_t byte = 0;
    const std::size_t got = SerialRead(link.Port(), &byte, 1);
    if (link.flags.AbortRequested()) break;
    if (got == 1 && byte == kBootHello) {
      hello = true;
      break;
    }
  }
  link.awaitingBoard.store(false);
  return hello;
}

BootResult AwaitBootReply(LinkContext& link, std::uint8_t expected) {
  std::uint8_t byte = 0;
  std::size_t got = SerialRead(link.Port(), &byte, 1);
  if (link.flags.AbortRequested()) return BootResult::Aborted;
  for (int tries = kBootReplyTries;;) {
    if (--tries == 0) return BootResult::TimedOut;
    if (got == 1 && byte == expected) return BootResult::Success;
    got = SerialRead(link.Port(), &byte, 1);
    if (link.flags.AbortRequested()) return BootResult::Aborted;
  }
}

}  // namespace rz
