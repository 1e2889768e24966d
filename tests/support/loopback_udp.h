#pragma once

// UDP for the tests: loopback only. Every socket the station gets through
// LoopbackOnlyBackend refuses (and fails the test) a destination or a local
// address outside 127.0.0.0/8, so a mistake can never send to a real board
// address such as 192.168.2.200. A refusal is a failure of the running test:
// of GoogleTest, or of Qt Test where RZ_LOOPBACK_GUARD_QT is defined.

#if defined(RZ_LOOPBACK_GUARD_QT)
#include <QTest>
#define RZ_LOOPBACK_FAILURE(message) QTest::qFail(std::string(message).c_str(), __FILE__, __LINE__)
#else
#include <gtest/gtest.h>
#define RZ_LOOPBACK_FAILURE(message) ADD_FAILURE() << (message)
#endif

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/datagram_socket.h"
#include "platform_backends.h"

namespace rz::testing {

using Address = std::array<std::uint8_t, 4>;

inline bool IsLoopback(const Address& address) { return address[0] == 127; }

// Fails the test when `address` is not a loopback address.
inline bool RequireLoopback(const Address& address, const char* what) {
  if (IsLoopback(address)) return true;
  RZ_LOOPBACK_FAILURE(std::string(what) + " " + FormatIpv4(address) + " is not a loopback address: refused");
  return false;
}

// Two loopback addresses, for the station and the board, that no other test
// process uses at the same time: 127.P.Q.1 and 127.P.Q.2, with P.Q taken from
// the process id and a counter.
struct LoopbackPair {
  Address station;
  Address board;
};
inline LoopbackPair NextLoopbackPair() {
#if defined(_WIN32)
  // Wine 8 binds a UDP socket on a 127.x address other than 127.0.0.1 to the
  // wildcard address, which would take port 13330 from every other address:
  // the station takes 127.0.0.1 (a plain bind there). The Wine test driver
  // runs one test program at a time, in a network of its own.
  return {{127, 0, 0, 1}, {127, 0, 0, 2}};
#else
  static std::atomic<unsigned> counter{0};
  const unsigned n = (static_cast<unsigned>(::getpid()) * 7u + counter.fetch_add(1) * 3u) % 0xFFFFu;
  const auto p = static_cast<std::uint8_t>(1 + n / 255);
  const auto q = static_cast<std::uint8_t>(1 + n % 255);
  return {{127, p, q, 1}, {127, p, q, 2}};
#endif
}

// A datagram socket that refuses anything but loopback.
class LoopbackOnlySocket final : public DatagramSocket {
 public:
  explicit LoopbackOnlySocket(std::unique_ptr<DatagramSocket> inner) : inner_(std::move(inner)) {}
  bool Bind(const Ipv4Endpoint& local) override {
    return RequireLoopback(local.address, "local address") && inner_->Bind(local);
  }
  bool SendTo(const std::uint8_t* data, std::size_t n, const Ipv4Endpoint& to) override {
    ++sends;
    return RequireLoopback(to.address, "destination") && inner_->SendTo(data, n, to);
  }
  int WaitReadable(std::chrono::microseconds timeout) override { return inner_->WaitReadable(timeout); }
  long ReceiveFrom(std::uint8_t* buffer, std::size_t capacity, Ipv4Endpoint& from, bool& wouldBlock) override {
    return inner_->ReceiveFrom(buffer, capacity, from, wouldBlock);
  }
  std::atomic<int> sends{0};

 private:
  std::unique_ptr<DatagramSocket> inner_;
};

// The platform's real sockets behind the loopback guard. The host's own address is
// never offered: tests give the station's address explicitly.
class LoopbackOnlyBackend final : public DatagramBackend {
 public:
  bool Startup() override { return platform_.Startup(); }
  std::unique_ptr<DatagramSocket> CreateSocket() override {
    // Winsock wants its start-up before the first socket (counted; harmless again).
    if (!platform_.Startup()) return nullptr;
    auto inner = platform_.CreateSocket();
    if (!inner) return nullptr;
    auto socket = std::make_unique<LoopbackOnlySocket>(std::move(inner));
    last = socket.get();
    return socket;
  }
  std::optional<Address> HostAddress() override { return std::nullopt; }
  LoopbackOnlySocket* last = nullptr;

 private:
  PlatformDatagramBackend platform_;
};

// A UDP socket of the platform's on a loopback address, playing the board (or a stranger).
class LoopbackPeer {
 public:
  explicit LoopbackPeer(const Address& address, std::uint16_t port = 13330) : address_(address) {
    if (!RequireLoopback(address, "peer address")) return;
    if (platform_.Startup()) socket_ = platform_.CreateSocket();
    if (!socket_ || !socket_->Bind({address, port})) {
      RZ_LOOPBACK_FAILURE("cannot bind " + FormatIpv4(address));
      socket_.reset();
    }
  }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  // The next datagram within `waitMs`, with its sender; nothing when none came.
  std::optional<std::vector<std::uint8_t>> Receive(int waitMs, Ipv4Endpoint* from = nullptr) {
    if (!socket_ || socket_->WaitReadable(std::chrono::milliseconds(waitMs)) <= 0) return std::nullopt;
    std::vector<std::uint8_t> data(65536);
    Ipv4Endpoint sender;
    bool wouldBlock = false;
    const long n = socket_->ReceiveFrom(data.data(), data.size(), sender, wouldBlock);
    if (n < 0 || wouldBlock) return std::nullopt;
    data.resize(static_cast<std::size_t>(n));
    if (from != nullptr) *from = sender;
    return data;
  }
  void Send(const std::vector<std::uint8_t>& data, const Ipv4Endpoint& to) {
    if (!RequireLoopback(to.address, "destination") || !socket_) return;
    socket_->SendTo(data.data(), data.size(), to);
  }
  const Address& address() const { return address_; }

 private:
  Address address_;
  PlatformDatagramBackend platform_;
  std::unique_ptr<DatagramSocket> socket_;
};

// A reply datagram: the magic, a status byte and data.
inline std::vector<std::uint8_t> ReplyDatagram(std::uint8_t status, const std::vector<std::uint8_t>& data = {}) {
  // Built by size and copy: GCC 12 misreads an insert after the 8 bytes as out of bounds.
  std::vector<std::uint8_t> reply(8 + data.size());
  const std::uint8_t head[8] = {'V', 'E', 'L', 'U', 'M', 'A', 'R', status};
  std::copy(head, head + 8, reply.begin());
  std::copy(data.begin(), data.end(), reply.begin() + 8);
  return reply;
}

}  // namespace rz::testing
