#include "link/udp_channel.h"

#include <algorithm>
#include <thread>

#include "app/station.h"
#include "app/texts.h"
#include "link/ethernet_texts.h"
#include "link/exchange.h"

namespace rz {
namespace {

using Clock = std::chrono::steady_clock;

// The pause after starting the socket layer, before the socket is created.
constexpr std::chrono::milliseconds kStartupPause{100};
// At most this many datagrams left over from earlier exchanges are discarded
// before a new request, so that a flood cannot hold the exchange up.
constexpr int kStaleDatagramLimit = 64;

void ShowSocketError(Station& station, const char* message) {
  station.Ui().ShowError({text::kErrorCaption, message, false});
}

// Discards the datagrams that are already waiting: late replies to an earlier
// request must not be taken as the reply to this one.
void DiscardWaiting(UdpChannel& channel) {
  for (int i = 0; i < kStaleDatagramLimit; ++i) {
    Ipv4Endpoint from;
    bool wouldBlock = false;
    const long n = channel.socket->ReceiveFrom(channel.reply.data(), channel.reply.size(), from, wouldBlock);
    if (n < 0 || wouldBlock) return;
  }
}

enum class WaitResult { Reply, TimedOut, Error };

// One wait of up to `channel.replyWait` for a datagram from the board. Datagrams
// from other IP addresses are dropped and the wait goes on for what is left of
// its time. A reply's sender port becomes the board's port.
WaitResult AwaitReply(UdpChannel& channel) {
  const Clock::time_point deadline = Clock::now() + channel.replyWait;
  std::chrono::microseconds left = channel.replyWait;
  for (;;) {
    if (WaitReadable(*channel.socket, left) == 0) return WaitResult::TimedOut;
    Ipv4Endpoint from;
    bool wouldBlock = false;
    const long n = channel.socket->ReceiveFrom(channel.reply.data(), channel.reply.size(), from, wouldBlock);
    if (n < 0) return WaitResult::Error;
    if (!wouldBlock) {
      if (from.address == channel.boardAddress.address) {
        channel.boardAddress = from;
        channel.replyOversized = static_cast<std::size_t>(n) > channel.reply.size();
        channel.replyLength = std::min(static_cast<std::size_t>(n), channel.reply.size());
        return WaitResult::Reply;
      }
      ++channel.strangersIgnored;
    }
    const auto now = Clock::now();
    if (now >= deadline) return WaitResult::TimedOut;
    left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
  }
}

}  // namespace

std::unique_ptr<DatagramSocket> CreateUdpSocket(Station& station) {
  UdpChannel& channel = station.udp;
  if (channel.backend == nullptr) return nullptr;
  if (!channel.backend->Startup()) {
    ShowSocketError(station, text::kSocketLayerError);
    return nullptr;
  }
  station.Sleep(kStartupPause);
  std::unique_ptr<DatagramSocket> socket = channel.backend->CreateSocket();
  if (!socket) {
    ShowSocketError(station, text::kSocketCreateError);
    return nullptr;
  }
  std::optional<std::array<std::uint8_t, 4>> local = channel.localAddress;
  if (!local) {
    // The computer's own address; a name that resolves to loopback gives a
    // socket no board could reach, so there is none (and no message).
    local = channel.backend->HostAddress();
    if (!local || (*local)[0] == 127) return nullptr;
  }
  if (!socket->Bind({*local, kUdpPort})) {
    ShowSocketError(station, text::kSocketBindError);
    return nullptr;
  }
  channel.boardAddress = {channel.storedAddress, kUdpPort};
  return socket;
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

int ExchangeDatagram(Station& station, std::size_t length, ReplyRule rule) {
  UdpChannel& channel = station.udp;
  if (!channel.socket || length > kExchangeBufferBytes) return kExchangeFailed;
  DiscardWaiting(channel);
  for (int send = 1; send <= kDatagramSends; ++send) {
    if (station.flags.AbortRequested()) return kExchangeFailed;
    channel.socket->SendTo(channel.buffer.data(), length, channel.boardAddress);
    if (send > 1) {
      SetProgressSuffix(station, "");
      station.Sleep(kSuffixPause);
      SetProgressSuffix(station, kSuffixRepeating);
    }
    for (int wait = 1; wait <= kWaitsPerSend; ++wait) {
      const WaitResult result = AwaitReply(channel);
      if (station.flags.AbortRequested()) return kExchangeFailed;
      if (result == WaitResult::Error) return kExchangeFailed;
      if (result == WaitResult::Reply) {
        const bool valid = !channel.replyOversized && ValidReply(channel.Reply(), rule);
        return valid ? kExchangeOk : kExchangeFailed;
      }
      SetProgressSuffix(station, "");
      station.Sleep(kSuffixPause);
      SetProgressSuffix(station, kSuffixWaiting);
    }
  }
  return kExchangeFailed;
}

void SetProgressSuffix(Station& station, const std::string& suffix) {
  UdpChannel& channel = station.udp;
  channel.progressSuffix = suffix;
  station.Ui().AddJournalLine(-1, channel.progressHeader + channel.progressPercent + suffix);
}

void SetProgressPercent(Station& station, const std::string& percent) {
  station.udp.progressPercent = percent;
  SetProgressSuffix(station, "");
}

}  // namespace rz
