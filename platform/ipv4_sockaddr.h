#pragma once

// Conversions between the core's IPv4 endpoint and the socket API's address,
// which BSD sockets and Winsock lay out alike.

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include <cstring>

#include "link/datagram_socket.h"

namespace rz {

inline sockaddr_in ToSockaddr(const Ipv4Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint.port);
  std::memcpy(&address.sin_addr.s_addr, endpoint.address.data(), 4);  // already in network order
  return address;
}

inline Ipv4Endpoint FromSockaddr(const sockaddr_in& address) {
  Ipv4Endpoint endpoint;
  std::memcpy(endpoint.address.data(), &address.sin_addr.s_addr, 4);
  endpoint.port = ntohs(address.sin_port);
  return endpoint;
}

}  // namespace rz
