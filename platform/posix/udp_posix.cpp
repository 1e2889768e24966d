#include "posix/udp_posix.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "ipv4_sockaddr.h"

namespace rz {
namespace {

using Clock = std::chrono::steady_clock;

class PosixDatagramSocket final : public DatagramSocket {
 public:
  explicit PosixDatagramSocket(int fd) : fd_(fd) {}
  ~PosixDatagramSocket() override { ::close(fd_); }
  PosixDatagramSocket(const PosixDatagramSocket&) = delete;
  PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

  bool Bind(const Ipv4Endpoint& local) override {
    const sockaddr_in address = ToSockaddr(local);
    return ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }

  bool SendTo(const std::uint8_t* data, std::size_t n, const Ipv4Endpoint& to) override {
    const sockaddr_in address = ToSockaddr(to);
    for (;;) {
      const ssize_t sent = ::sendto(fd_, data, n, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
      if (sent >= 0) return static_cast<std::size_t>(sent) == n;
      if (errno != EINTR) return false;
    }
  }

  int WaitReadable(std::chrono::microseconds timeout) override {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      pollfd pfd{fd_, POLLIN, 0};
      const int polled = ::poll(&pfd, 1, static_cast<int>(std::max<long long>(0, left.count())));
      if (polled > 0) return (pfd.revents & POLLIN) ? 1 : -1;
      if (polled == 0) return 0;
      if (errno != EINTR) return -1;
    }
  }

  long ReceiveFrom(std::uint8_t* buffer, std::size_t capacity, Ipv4Endpoint& from, bool& wouldBlock) override {
    wouldBlock = false;
    for (;;) {
      sockaddr_in address{};
      socklen_t length = sizeof address;
      // MSG_TRUNC: the result is the datagram's full length even when only
      // `capacity` bytes of it were copied.
      const ssize_t n = ::recvfrom(fd_, buffer, capacity, MSG_DONTWAIT | MSG_TRUNC,
                                   reinterpret_cast<sockaddr*>(&address), &length);
      if (n >= 0) {
        from = FromSockaddr(address);
        return static_cast<long>(n);
      }
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        wouldBlock = true;
        return 0;
      }
      // An ICMP error from an earlier send is reported once by the next
      // receive; it says nothing about this datagram, so it is passed over.
      if (errno == ECONNREFUSED || errno == EHOSTUNREACH || errno == ENETUNREACH) continue;
      return -1;
    }
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<DatagramSocket> PosixDatagramBackend::CreateSocket() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixDatagramSocket>(fd);
}

std::optional<std::array<std::uint8_t, 4>> PosixDatagramBackend::HostAddress() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::optional<std::array<std::uint8_t, 4>> address;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET) continue;
    Ipv4Endpoint endpoint = FromSockaddr(*reinterpret_cast<const sockaddr_in*>(entry->ai_addr));
    address = endpoint.address;
    break;
  }
  ::freeaddrinfo(found);
  return address;
}

}  // namespace rz
