#include "udp_side.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rzsim {

namespace {

// Datagrams larger than this are taken in part and answered as malformed.
constexpr std::size_t kReceiveBytes = 4096;

sockaddr_in Sockaddr(const std::array<std::uint8_t, 4>& address, std::uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  std::memcpy(&sa.sin_addr.s_addr, address.data(), 4);
  return sa;
}

UdpSide::Pending Forged(UdpSide::Pending answer) {
  std::fill(answer.bytes.begin() + std::min<std::ptrdiff_t>(8, static_cast<std::ptrdiff_t>(answer.bytes.size())),
            answer.bytes.end(), std::uint8_t{0});
  return answer;
}

}  // namespace

UdpSide::~UdpSide() { Close(); }

int UdpSide::OpenSocket(const std::array<std::uint8_t, 4>& address, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  const sockaddr_in sa = Sockaddr(address, port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
    // Always reported: the station will wait for answers that cannot come.
    std::fprintf(stderr, "rzboard-sim: cannot bind %u.%u.%u.%u:%u: %s\n", address[0], address[1], address[2],
                 address[3], port, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  return fd;
}

void UdpSide::Follow(const std::optional<std::array<std::uint8_t, 4>>& address) {
  if (address == bound_) return;
  Close();
  bound_ = address;
  if (!address) return;
  fd_ = OpenSocket(*address, kUdpPort);
  if (faults_.strangerPort) strangerPortFd_ = OpenSocket(*address, kUdpPort + 1);
  if (faults_.stranger) {
    std::array<std::uint8_t, 4> other = *address;
    other[3] = static_cast<std::uint8_t>(other[3] + 1);
    strangerFd_ = OpenSocket(other, kUdpPort);
  }
  if (log_ && fd_ >= 0) {
    std::fprintf(log_, "rzboard-sim: Ethernet on at %u.%u.%u.%u:%u\n", (*address)[0], (*address)[1], (*address)[2],
                 (*address)[3], kUdpPort);
    std::fflush(log_);
  }
}

void UdpSide::Close() {
  if (fd_ >= 0) ::close(fd_);
  if (strangerFd_ >= 0) ::close(strangerFd_);
  if (strangerPortFd_ >= 0) ::close(strangerPortFd_);
  fd_ = strangerFd_ = strangerPortFd_ = -1;
  bound_.reset();
  pending_.clear();
}

void UdpSide::ReceiveAll(BoardMemory& memory) {
  if (fd_ < 0) return;
  std::array<std::uint8_t, kReceiveBytes> buffer{};
  for (;; SendDue(Clock::now())) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // EAGAIN: all taken
    }
    const std::span<const std::uint8_t> request(buffer.data(), static_cast<std::size_t>(n));
    const std::optional<Bytes> answer = commands_.Answer(request, memory);
    if (!answer) continue;
    const Clock::time_point due =
        Clock::now() + std::chrono::microseconds(faults_.delayUs) + commands_.ExtraDelay(request);
    Pending reply{due, *answer, {}, ntohs(from.sin_port)};
    std::memcpy(reply.toAddress.data(), &from.sin_addr.s_addr, 4);
    ++answered_;
    if (faults_.duplicateEvery != 0 && answered_ % faults_.duplicateEvery == 0) {
      Pending copy = reply;
      copy.due += std::chrono::milliseconds(faults_.duplicateDelayMs);
      Queue(std::move(copy));
    }
    Queue(std::move(reply));
  }
}

void UdpSide::Queue(Pending answer) {
  const auto at = std::upper_bound(pending_.begin(), pending_.end(), answer.due,
                                   [](Clock::time_point due, const Pending& p) { return due < p.due; });
  pending_.insert(at, std::move(answer));
}

void UdpSide::Send(int fd, const Pending& answer) {
  const sockaddr_in to = Sockaddr(answer.toAddress, answer.toPort);
  ::sendto(fd, answer.bytes.data(), answer.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void UdpSide::SendDue(Clock::time_point now) {
  while (!pending_.empty() && pending_.front().due <= now) {
    // The strangers answer first, with the shape of the real answer and its
    // data zeroed.
    if (strangerFd_ >= 0) Send(strangerFd_, Forged(pending_.front()));
    if (strangerPortFd_ >= 0) Send(strangerPortFd_, Forged(pending_.front()));
    Send(fd_, pending_.front());
    pending_.pop_front();
  }
}

std::optional<UdpSide::Clock::time_point> UdpSide::NextDue() const {
  if (pending_.empty()) return std::nullopt;
  return pending_.front().due;
}

}  // namespace rzsim
