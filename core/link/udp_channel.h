#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/datagram_socket.h"
#include "link/exchange_result.h"

namespace rz {

class LinkContext;

inline constexpr std::uint16_t kUdpPort = 13330;
inline constexpr std::array<std::uint8_t, 4> kDefaultBoardAddress = {192, 168, 2, 200};
// Every datagram, request and reply, starts with these 7 letters.
inline constexpr std::array<std::uint8_t, 7> kDatagramMagic = {'V', 'E', 'L', 'U', 'M', 'A', 'R'};
inline constexpr std::size_t kDatagramHeader = 8;  // magic + command or status byte
// The exchange buffer holds the request and then the reply.
inline constexpr std::size_t kExchangeBufferBytes = 2000;
// A reply whose status byte is this failed the command.
inline constexpr std::uint8_t kUdpStatusFailed = 'F';

inline constexpr int kDatagramSends = 5;
inline constexpr int kWaitsPerSend = 3;
// One wait for the reply: 2 seconds and 1 microsecond.
inline constexpr std::chrono::microseconds kReplyWait{2'000'001};
inline constexpr std::chrono::milliseconds kSuffixPause{50};

// Suffixes of the progress line while an exchange waits.
inline constexpr const char* kSuffixWaiting = " [Жду ответа]";
inline constexpr const char* kSuffixRepeating = " [Повтор команды]";

// What a reply must look like beyond magic and status: at least `size` bytes,
// or exactly `size` bytes when `exact`. When `identified`, the exact length
// names the request (no other request in flight asks for that many bytes): a
// datagram of another length is an answer to an earlier request, dropped as
// such, and the wait goes on.
struct ReplyRule {
  std::size_t size = kDatagramHeader;
  bool exact = false;
  bool identified = false;
};

// Where an exchange shows that it waits for a reply or repeats its request:
// the running transfer's progress line.
class ExchangeProgress {
 public:
  virtual ~ExchangeProgress() = default;
  // Shows `suffix` behind the line's percentage ("" removes it).
  virtual void ShowSuffix(const std::string& suffix) = 0;
};

// The station's side of the UDP channel: its socket, the board's address and
// the progress line that the exchange writes its suffixes on.
struct UdpChannel {
  // Where sockets come from; without one the station simply has no socket.
  DatagramBackend* backend = nullptr;
  std::unique_ptr<DatagramSocket> socket;
  // The station's own address when given explicitly (a loopback address is
  // then allowed); otherwise the first IPv4 address of the computer's name.
  std::optional<std::array<std::uint8_t, 4>> localAddress;
  // The address typed into the IP-address dialog, and where requests go.
  std::array<std::uint8_t, 4> storedAddress = kDefaultBoardAddress;
  Ipv4Endpoint boardAddress{kDefaultBoardAddress, kUdpPort};
  // Cleared when an entry in the IP-address dialog is refused.
  bool addressValid = true;
  // How long one wait for a reply lasts (tests shorten it).
  std::chrono::microseconds replyWait = kReplyWait;
  // The request being exchanged, and the last reply taken (its length in
  // `replyLength`; `replyOversized` when the datagram did not fit). The reply
  // has a buffer of its own so that a datagram can never overwrite a request
  // that may still have to be resent.
  std::array<std::uint8_t, kExchangeBufferBytes> buffer{};
  std::array<std::uint8_t, kExchangeBufferBytes> reply{};
  std::size_t replyLength = 0;
  bool replyOversized = false;
  // The running transfer's progress line, or nullptr (no suffixes shown).
  ExchangeProgress* progress = nullptr;
  // Datagrams from other addresses or ports that were ignored (for the
  // journal of tests and benchmarks; the operator never sees them).
  std::uint64_t strangersIgnored = 0;

  // Traces of replies that may have been taken for the wrong request.
  // Replies carry nothing that names their request, so the exchange takes
  // the first datagram of the board as the answer and goes on; a late answer
  // or a copy may then stand in for a later reply. Such a mix-up cannot be
  // seen in the reply; what can be counted is what it leaves behind: a
  // datagram of the board that arrives while no reply is awaited
  // (`surplusDropped`), and a request sent again (`resends`), whose other
  // answer may still be on its way. The transfers look at these counters
  // piece by piece and check what they cannot trust.
  std::uint64_t surplusDropped = 0;
  std::uint64_t resends = 0;
  // Replies that came far later than the transfer's replies usually do: a
  // late answer to an earlier request may have stood in for one whose
  // request was lost. `typicalRoundTrip` is the transfer's running average.
  std::uint64_t lateReplies = 0;
  std::chrono::microseconds typicalRoundTrip{0};
  // Whether surplus datagrams have been seen since the socket was made: the
  // path then repeats or holds datagrams, and the pauses between passes wait
  // longer for the last of them.
  bool surplusSeen = false;
  // The longest time a reply to a single send took since the transfer began.
  std::chrono::microseconds longestRoundTrip{0};

  std::span<const std::uint8_t> Reply() const { return {reply.data(), replyLength}; }
};

// Why no socket was made: the socket layer did not start, no socket could be
// created, the local address could not be bound; or no address to bind to
// (the computer's name is not found, or resolves to a loopback address),
// which is no error to show.
enum class UdpSocketFailure { None, NoLocalAddress, Startup, Create, Bind };

struct UdpSocketResult {
  std::unique_ptr<DatagramSocket> socket;
  UdpSocketFailure failure = UdpSocketFailure::None;
};

// Creates and binds the station's datagram socket (at start-up, and again from
// the switching operation when there is none), at the explicit local address
// or else the computer's own. On success the board address is set to the
// stored one.
UdpSocketResult CreateUdpSocket(LinkContext& link);

// Waits at most `timeout` for the socket to become readable: 1 when it is, 0
// when the time ran out (an error also counts as 0 after the full wait).
int WaitReadable(DatagramSocket& socket, std::chrono::microseconds timeout);

// Lays out a request in the exchange buffer: magic, command byte, then the
// arguments; returns its length.
std::size_t BuildRequest(UdpChannel& channel, std::uint8_t command, std::span<const std::uint8_t> arguments);

// Sends the request of `length` bytes that lies in the exchange buffer and
// waits for a reply, with its resends and waits; shows the waiting and
// repeating suffixes on the progress line. Returns kExchangeOk when a valid
// reply arrived (it is then in the reply buffer), kExchangeFailed otherwise:
// no socket, the abort flag, a receive error, an invalid reply (never
// answered by a resend), or five sends without a reply. Only datagrams from
// the board's address and port 13330 are taken; others are ignored within
// the wait they arrive in. Datagrams of the board already waiting before the
// request goes out are dropped and counted (see UdpChannel); nothing else is
// waited for on a clean path. The abort flag is looked at every 100 ms of
// every wait.
ExchangeResult ExchangeDatagram(LinkContext& link, std::size_t length, ReplyRule rule);

// A transfer over UDP begins: datagrams left from earlier operations, and
// those still arriving until the line has been quiet for a moment (see
// SettleUdpTransfer), are dropped without counting them. False on ESC.
bool BeginUdpTransfer(LinkContext& link);
// A pass of exchanges has had its last reply: drops and counts the answers
// still on their way (which a reply taken for the wrong request leaves
// behind) until none has come for a moment: four times the longest round
// trip, at least a few milliseconds, and longer on a path that has shown
// surplus datagrams; at most a couple of seconds under a flood. False on ESC.
bool SettleUdpTransfer(LinkContext& link);

// True when `reply` is a valid reply by `rule`: long enough (or exactly as
// long), the magic, and a status other than 'F'. (A datagram larger than the
// exchange buffer is never valid; ExchangeDatagram checks that apart.)
bool ValidReply(std::span<const std::uint8_t> reply, ReplyRule rule);

}  // namespace rz
