#include "win32/udp_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ipv4_sockaddr.h"

namespace rz {
namespace {

// The largest datagram IPv4 can carry: receiving into this much tells a
// datagram's full length, which Winsock does not report for a truncated one.
constexpr std::size_t kLargestDatagram = 65536;

class Win32DatagramSocket final : public DatagramSocket {
 public:
  explicit Win32DatagramSocket(SOCKET socket) : socket_(socket), received_(kLargestDatagram) {}
  ~Win32DatagramSocket() override { ::closesocket(socket_); }
  Win32DatagramSocket(const Win32DatagramSocket&) = delete;
  Win32DatagramSocket& operator=(const Win32DatagramSocket&) = delete;

  bool Bind(const Ipv4Endpoint& local) override {
    const sockaddr_in address = ToSockaddr(local);
    return ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }

  bool SendTo(const std::uint8_t* data, std::size_t n, const Ipv4Endpoint& to) override {
    const sockaddr_in address = ToSockaddr(to);
    const int sent = ::sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(n), 0,
                              reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent != SOCKET_ERROR && static_cast<std::size_t>(sent) == n;
  }

  int WaitReadable(std::chrono::microseconds timeout) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    const long long micros = std::max<long long>(0, timeout.count());
    timeval wait{};
    wait.tv_sec = static_cast<long>(micros / 1000000);
    wait.tv_usec = static_cast<long>(micros % 1000000);
    const int ready = ::select(0, &readable, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR) return -1;
    return ready > 0 ? 1 : 0;
  }

  long ReceiveFrom(std::uint8_t* buffer, std::size_t capacity, Ipv4Endpoint& from, bool& wouldBlock) override {
    wouldBlock = false;
    for (;;) {
      sockaddr_in address{};
      int length = sizeof address;
      const int n = ::recvfrom(socket_, reinterpret_cast<char*>(received_.data()), static_cast<int>(received_.size()),
                               0, reinterpret_cast<sockaddr*>(&address), &length);
      if (n != SOCKET_ERROR) {
        std::memcpy(buffer, received_.data(), std::min(capacity, static_cast<std::size_t>(n)));
        from = FromSockaddr(address);
        return n;
      }
      const int error = ::WSAGetLastError();
      if (error == WSAEWOULDBLOCK) {
        wouldBlock = true;
        return 0;
      }
      // An ICMP error from an earlier send says nothing about this datagram.
      if (error == WSAECONNRESET || error == WSAENETRESET || error == WSAEINTR) continue;
      // Larger than any datagram should be: taken whole, so report it as
      // larger than the caller's buffer, which refuses it.
      if (error == WSAEMSGSIZE) {
        std::memcpy(buffer, received_.data(), std::min(capacity, received_.size()));
        from = FromSockaddr(address);
        return static_cast<long>(std::max(capacity + 1, received_.size()));
      }
      return -1;
    }
  }

 private:
  SOCKET socket_;
  std::vector<std::uint8_t> received_;
};

}  // namespace

Win32DatagramBackend::~Win32DatagramBackend() {
  if (started_) ::WSACleanup();
}

bool Win32DatagramBackend::Startup() {
  if (started_) return true;
  WSADATA data{};
  started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  return started_;
}

std::unique_ptr<DatagramSocket> Win32DatagramBackend::CreateSocket() {
  const SOCKET socket = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (socket == INVALID_SOCKET) return nullptr;
  // Non-blocking receives: ReceiveFrom only takes what is already waiting.
  u_long nonBlocking = 1;
  ::ioctlsocket(socket, FIONBIO, &nonBlocking);
  // Windows reports an ICMP "port unreachable" for an earlier send as a
  // failing receive; the board answering late must not end a wait for it.
  BOOL reportReset = FALSE;
  DWORD returned = 0;
  ::WSAIoctl(socket, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr, nullptr);
  return std::make_unique<Win32DatagramSocket>(socket);
}

std::optional<std::array<std::uint8_t, 4>> Win32DatagramBackend::HostAddress() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::optional<std::array<std::uint8_t, 4>> address;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET) continue;
    address = FromSockaddr(*reinterpret_cast<const sockaddr_in*>(entry->ai_addr)).address;
    break;
  }
  ::freeaddrinfo(found);
  return address;
}

}  // namespace rz
