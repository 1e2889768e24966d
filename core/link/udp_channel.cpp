#include "link/udp_channel.h"

#include <algorithm>
#include <span>
#include <thread>

#include "link/exchange.h"
#include "link/link_context.h"

namespace rz {
namespace {

using Clock = std::chrono::steady_clock;

// The pause after starting the socket layer, before the socket is created.
constexpr std::chrono::milliseconds kStartupPause{100};
// Every wait looks at the abort flag this often, so ESC ends it at once.
constexpr std::chrono::milliseconds kAbortPoll{100};
// How long a settle waits for the line to be quiet: a few milliseconds, four
// longest round trips, and on a path that repeats or holds datagrams long
// enough for the copies of the last answers; and the longest it waits at all.
constexpr std::chrono::milliseconds kMinSettle{5};
constexpr int kSettleRoundTrips = 4;
constexpr std::chrono::milliseconds kSurplusSettle{30};
constexpr std::chrono::seconds kLongestSettle{2};
constexpr std::chrono::milliseconds kPollTick{1};
// A reply is late when it took more than this many times the average round
// trip plus the margin; the average weighs the newest round trip 1 in 8.
constexpr int kLateFactor = 3;
constexpr std::chrono::milliseconds kLateMargin{2};
constexpr int kAverageWeight = 8;
// A flood of datagrams cannot hold a drain up longer than its wait.
constexpr int kDrainBurst = 256;

std::chrono::microseconds Micro(Clock::duration d) {
  return std::chrono::duration_cast<std::chrono::microseconds>(d);
}

enum class Received { Board, Stranger, Nothing, Error };

// Takes one waiting datagram without blocking. Only the board's address and
// port count: a reply from anywhere else is no reply, whatever it holds.
Received TakeDatagram(UdpChannel& channel) {
  Ipv4Endpoint from;
  bool wouldBlock = false;
  const long n = channel.socket->ReceiveFrom(channel.reply.data(), channel.reply.size(), from, wouldBlock);
  if (n < 0) return Received::Error;
  if (wouldBlock) return Received::Nothing;
  if (!(from == channel.boardAddress)) {
    ++channel.strangersIgnored;
    return Received::Stranger;
  }
  channel.replyOversized = static_cast<std::size_t>(n) > channel.reply.size();
  channel.replyLength = std::min(static_cast<std::size_t>(n), channel.reply.size());
  return Received::Board;
}

// Drops what has arrived, and keeps dropping until `until`. False on ESC.
// A datagram of the board that answers no request awaited now.
void CountSurplus(UdpChannel& channel) {
  ++channel.surplusDropped;
  channel.surplusSeen = true;
}

// Datagrams of the board count as surplus when `count`.
bool Drain(LinkContext& link, Clock::time_point until, bool count) {
  UdpChannel& channel = link.udp;
  for (;;) {
    for (int i = 0; i < kDrainBurst; ++i) {
      const Received got = TakeDatagram(channel);
      if (got == Received::Board && count) CountSurplus(channel);
      if (got == Received::Nothing || got == Received::Error) break;
    }
    if (link.flags.AbortRequested()) return false;
    const auto now = Clock::now();
    if (now >= until) return true;
    if (until - now < kPollTick) {
      std::this_thread::yield();  // a moment shorter than a poll can wait
    } else {
      WaitReadable(*channel.socket, std::min(Micro(until - now), Micro(kAbortPoll)));
    }
  }
}

// The line shows the suffix gone for a moment, then `suffix`, so that the
// operator sees each new wait or repetition.
void ShowPausedSuffix(LinkContext& link, const char* suffix) {
  ExchangeProgress* progress = link.udp.progress;
  if (progress != nullptr) progress->ShowSuffix("");
  link.Sleep(kSuffixPause);
  if (progress != nullptr) progress->ShowSuffix(suffix);
}

// Keeps the transfer's round trips: the longest, a running average, and the
// replies far later than that average.
void NoteRoundTrip(UdpChannel& channel, std::chrono::microseconds roundTrip) {
  channel.longestRoundTrip = std::max(channel.longestRoundTrip, roundTrip);
  std::chrono::microseconds& typical = channel.typicalRoundTrip;
  if (typical.count() > 0 && roundTrip > kLateFactor * typical + kLateMargin) ++channel.lateReplies;
  typical = typical.count() == 0 ? roundTrip : (typical * (kAverageWeight - 1) + roundTrip) / kAverageWeight;
}

enum class WaitResult { Reply, TimedOut, Error, Aborted };

// One wait of up to `channel.replyWait` for a datagram from the board, in
// slices that look at the abort flag. Datagrams from elsewhere, and under an
// identifying rule datagrams of another length, are dropped and the wait goes
// on for what is left of its time.
WaitResult AwaitReply(LinkContext& link, const ReplyRule& rule) {
  UdpChannel& channel = link.udp;
  const Clock::time_point deadline = Clock::now() + channel.replyWait;
  for (;;) {
    if (link.flags.AbortRequested()) return WaitResult::Aborted;
    const auto now = Clock::now();
    if (now >= deadline) return WaitResult::TimedOut;
    if (WaitReadable(*channel.socket, std::min(Micro(deadline - now), Micro(kAbortPoll))) == 0) continue;
    switch (TakeDatagram(channel)) {
      case Received::Board:
        if (!rule.identified || (!channel.replyOversized && channel.replyLength == rule.size)) {
          return WaitResult::Reply;
        }
        CountSurplus(channel);
        break;
      case Received::Error: return WaitResult::Error;
      case Received::Stranger:
      case Received::Nothing: break;
    }
  }
}

}  // namespace

UdpSocketResult CreateUdpSocket(LinkContext& link) {
  UdpChannel& channel = link.udp;
  if (channel.backend == nullptr) return {nullptr, UdpSocketFailure::NoLocalAddress};
  if (!channel.backend->Startup()) return {nullptr, UdpSocketFailure::Startup};
  link.Sleep(kStartupPause);
  std::unique_ptr<DatagramSocket> socket = channel.backend->CreateSocket();
  if (!socket) return {nullptr, UdpSocketFailure::Create};
  std::optional<std::array<std::uint8_t, 4>> local = channel.localAddress;
  if (!local) {
    // The computer's own address; a name that resolves to loopback gives a
    // socket no board could reach, so there is none (and no message).
    local = channel.backend->HostAddress();
    if (!local || (*local)[0] == 127) return {nullptr, UdpSocketFailure::NoLocalAddress};
  }
  if (!socket->Bind({*local, kUdpPort})) return {nullptr, UdpSocketFailure::Bind};
  channel.boardAddress = {channel.storedAddress, kUdpPort};
  channel.surplusSeen = false;
  return {std::move(socket), UdpSocketFailure::None};
}

int WaitReadable(DatagramSocket& socket, std::chrono::microseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  const int ready = socket.WaitReadable(timeout);
  if (ready > 0) return 1;
  // An error must not turn the wait into a busy loop: it lasts its full time.
  if (ready < 0) std::this_thread::sleep_until(deadline);
  return 0;
}

std::size_t BuildRequest(UdpChannel& channel, std::uint8_t command, std::span<const std::uint8_t> arguments) {
  const std::size_t length = std::min(kDatagramHeader + arguments.size(), kExchangeBufferBytes);
  std::copy(kDatagramMagic.begin(), kDatagramMagic.end(), channel.buffer.begin());
  channel.buffer[kDatagramMagic.size()] = command;
  std::copy_n(arguments.begin(), length - kDatagramHeader, channel.buffer.begin() + kDatagramHeader);
  return length;
}

bool ValidReply(std::span<const std::uint8_t> reply, ReplyRule rule) {
  if (reply.size() < kDatagramHeader) return false;
  if (rule.exact ? reply.size() != rule.size : reply.size() < rule.size) return false;
  if (!std::equal(kDatagramMagic.begin(), kDatagramMagic.end(), reply.begin())) return false;
  return reply[kDatagramMagic.size()] != kUdpStatusFailed;
}

ExchangeResult ExchangeDatagram(LinkContext& link, std::size_t length, ReplyRule rule) {
  UdpChannel& channel = link.udp;
  if (!channel.socket || length > kExchangeBufferBytes) return kExchangeFailed;
  // What is already waiting answers no request of this exchange.
  if (!Drain(link, Clock::now(), true)) return kExchangeFailed;
  for (int send = 1; send <= kDatagramSends; ++send) {
    if (link.flags.AbortRequested()) break;
    const Clock::time_point sent = Clock::now();
    channel.socket->SendTo(channel.buffer.data(), length, channel.boardAddress);
    if (send > 1) {
      ++channel.resends;
      ShowPausedSuffix(link, kSuffixRepeating);
    }
    for (int wait = 1; wait <= kWaitsPerSend; ++wait) {
      const WaitResult result = AwaitReply(link, rule);
      if (result == WaitResult::Aborted || result == WaitResult::Error) return kExchangeFailed;
      if (result == WaitResult::Reply) {
        if (send == 1) NoteRoundTrip(channel, Micro(Clock::now() - sent));
        const bool valid = !channel.replyOversized && ValidReply(channel.Reply(), rule);
        return valid ? kExchangeOk : kExchangeFailed;
      }
      ShowPausedSuffix(link, kSuffixWaiting);
    }
  }
  return kExchangeFailed;
}

namespace {

// Drops datagrams until none of the board's has come for the settle's quiet
// time, or the longest settle has passed. The board's datagrams count as
// surplus when `count`.
bool DrainUntilQuiet(LinkContext& link, bool count) {
  UdpChannel& channel = link.udp;
  if (!channel.socket) return true;
  Clock::duration quiet = std::max<Clock::duration>(kMinSettle, kSettleRoundTrips * channel.longestRoundTrip);
  if (channel.surplusSeen) quiet = std::max<Clock::duration>(quiet, kSurplusSettle);
  const auto limit = Clock::now() + kLongestSettle;
  for (;;) {
    const std::uint64_t before = channel.surplusDropped;
    if (!Drain(link, std::min(limit, Clock::now() + quiet), true)) return false;
    const bool boardSpoke = channel.surplusDropped != before;
    if (!count) channel.surplusDropped = before;
    if (!boardSpoke || Clock::now() >= limit) return true;
  }
}

}  // namespace

bool BeginUdpTransfer(LinkContext& link) {
  link.udp.longestRoundTrip = {};
  link.udp.typicalRoundTrip = {};
  return DrainUntilQuiet(link, false);
}

bool SettleUdpTransfer(LinkContext& link) { return DrainUntilQuiet(link, true); }

}  // namespace rz
