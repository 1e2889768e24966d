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
// The least quiet time after an exchange that needed a resend, and the share
// of the observed reply time added to it as a margin.
constexpr std::chrono::milliseconds kMinQuietMargin{100};
constexpr int kQuietMarginDivisor = 4;
// The least time the end of a transfer waits for answers still on their way.
constexpr std::chrono::milliseconds kMinSettle{20};
// The longest moment the next request waits for copies of a reply before any
// copy has been seen (spent polling, as it is shorter than a poll's tick), and
// the least once copies have been seen.
constexpr std::chrono::microseconds kFirstLinger{200};
constexpr std::chrono::milliseconds kCopiesLinger{1};
constexpr std::chrono::milliseconds kPollTick{1};
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

// Drops a datagram of the board that arrived while no reply was awaited,
// judging it against the reply taken last.
void DropSurplus(UdpChannel& channel, bool judge) {
  ++channel.surplusDropped;
  const std::span<const std::uint8_t> reply = channel.Reply();
  const bool same = !channel.replyOversized && reply.size() == channel.lastReply.size() &&
                    std::equal(reply.begin(), reply.end(), channel.lastReply.begin());
  if (judge && channel.lastExchangeAnswered && !same) channel.repliesInDoubt = true;
  // A surplus after an exchange with one send is a copy (or an answer later
  // than any wait): from now on every request waits for such longer.
  if (judge && channel.lastExchangeAnswered && channel.lastExchangeSends == 1) channel.copiesSeen = true;
}

// Drops what has arrived, and keeps dropping until `until`. False on ESC.
bool Drain(LinkContext& link, Clock::time_point until, bool judge) {
  UdpChannel& channel = link.udp;
  for (;;) {
    for (int i = 0; i < kDrainBurst; ++i) {
      const Received got = TakeDatagram(channel);
      if (got == Received::Board) DropSurplus(channel, judge);
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

// Until when copies of the last reply may still come close behind it.
Clock::time_point CopiesDueBy(const UdpChannel& channel) {
  if (!channel.lastExchangeAnswered) return {};
  if (channel.copiesSeen) {
    return channel.lastReplyAt + std::max<Clock::duration>(kCopiesLinger, 2 * channel.longestRoundTrip);
  }
  return channel.lastReplyAt + std::min<Clock::duration>(kFirstLinger, channel.lastRoundTrip);
}

enum class WaitResult { Reply, TimedOut, Error, Aborted };

// One wait of up to `channel.replyWait` for a datagram from the board, in
// slices that look at the abort flag. Datagrams from elsewhere are dropped
// and the wait goes on for what is left of its time.
WaitResult AwaitReply(LinkContext& link) {
  UdpChannel& channel = link.udp;
  const Clock::time_point deadline = Clock::now() + channel.replyWait;
  for (;;) {
    if (link.flags.AbortRequested()) return WaitResult::Aborted;
    const auto now = Clock::now();
    if (now >= deadline) return WaitResult::TimedOut;
    if (WaitReadable(*channel.socket, std::min(Micro(deadline - now), Micro(kAbortPoll))) == 0) continue;
    switch (TakeDatagram(channel)) {
      case Received::Board: return WaitResult::Reply;
      case Received::Error: return WaitResult::Error;
      case Received::Stranger:
      case Received::Nothing: break;
    }
  }
}

// Remembers what the exchange that just ended leaves behind: its request, its
// reply, and until when answers to its other sends may still arrive.
void EndExchange(UdpChannel& channel, std::span<const std::uint8_t> request, int sends, Clock::time_point first,
                 Clock::time_point last, bool answered) {
  const auto now = Clock::now();
  channel.lastRequest.assign(request.begin(), request.end());
  channel.lastExchangeAnswered = answered;
  channel.lastExchangeSends = sends;
  if (answered) {
    channel.lastReplyAt = now;
    channel.lastRoundTrip = Micro(now - last);
    const std::span<const std::uint8_t> reply = channel.Reply();
    channel.lastReply.assign(reply.begin(), reply.end());
  }
  if (answered && sends == 1) {
    channel.longestRoundTrip = std::max(channel.longestRoundTrip, Micro(now - first));
    return;
  }
  // Every send may still be answered as late as the reply that came (taken
  // as an answer to the first send). With no reply at all the board is taken
  // as gone, and only a margin is kept: what comes later is judged as it
  // arrives.
  const Clock::duration span = now - first;
  const Clock::duration margin = std::max<Clock::duration>(kMinQuietMargin, span / kQuietMarginDivisor);
  channel.quietUntil = std::max(channel.quietUntil, (answered ? last + span : now) + margin);
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
  // A new socket has seen no copies yet; later transfers over the same one
  // keep what earlier ones learnt, so a path that repeats datagrams is waited
  // for from the first reply on.
  channel.copiesSeen = false;
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
  const std::span<const std::uint8_t> request(channel.buffer.data(), length);
  // Answers to a repetition of the same request are as good as its own.
  const bool sameRequest = std::equal(request.begin(), request.end(), channel.lastRequest.begin(),
                                      channel.lastRequest.end());
  if (!Drain(link, sameRequest ? Clock::now() : std::max(channel.quietUntil, CopiesDueBy(channel)), true)) {
    return kExchangeFailed;
  }
  if (channel.repliesInDoubt) return kExchangeFailed;
  const Clock::time_point first = Clock::now();
  Clock::time_point last = first;
  for (int send = 1; send <= kDatagramSends; ++send) {
    if (link.flags.AbortRequested()) break;
    last = Clock::now();
    channel.socket->SendTo(channel.buffer.data(), length, channel.boardAddress);
    if (send > 1) ShowPausedSuffix(link, kSuffixRepeating);
    for (int wait = 1; wait <= kWaitsPerSend; ++wait) {
      const WaitResult result = AwaitReply(link);
      if (result == WaitResult::Aborted || result == WaitResult::Error) {
        EndExchange(channel, request, send, first, last, false);
        return kExchangeFailed;
      }
      if (result == WaitResult::Reply) {
        EndExchange(channel, request, send, first, last, true);
        const bool valid = !channel.replyOversized && ValidReply(channel.Reply(), rule);
        return valid ? kExchangeOk : kExchangeFailed;
      }
      ShowPausedSuffix(link, kSuffixWaiting);
    }
  }
  EndExchange(channel, request, kDatagramSends, first, last, false);
  return kExchangeFailed;
}

void BeginUdpTransfer(LinkContext& link) {
  UdpChannel& channel = link.udp;
  channel.repliesInDoubt = false;
  channel.lastExchangeAnswered = false;
  channel.longestRoundTrip = {};
  if (channel.socket) Drain(link, Clock::now(), false);
}

bool SettleUdpTransfer(LinkContext& link) {
  UdpChannel& channel = link.udp;
  if (!channel.socket) return !channel.repliesInDoubt;
  const auto until = std::max(channel.quietUntil, Clock::now() + 2 * channel.longestRoundTrip + kMinSettle);
  return Drain(link, until, true) && !channel.repliesInDoubt;
}

}  // namespace rz
