#pragma once

#include <memory>

#include "app/outcome.h"
#include "link/datagram_socket.h"
#include "link/serial_device.h"

namespace rz {

class Station;

// Opens COM1 (n = 1) or COM2 (n = 2) at the path the station was given for it,
// with 115200,8,n,1 and the 50 ms total read time-out. On failure shows
// "Ошибка открытия <COMn>" with the system's reason and returns nullptr.
std::unique_ptr<SerialDevice> OpenPort(Station& station, int n);

// Called when an operation's worker has returned. When the open port's
// device went away meanwhile, the journal says so (" *Порт COM1 отключён"),
// the side channel names the device, the port is closed and the port selector
// shows "NONE"; an operation that did not succeed has then failed, although
// its waits ended as ESC ends them. Returns the operation's outcome.
Outcome CloseVanishedPort(Station& station, Outcome outcome);

// Creates and binds the station's datagram socket. Shows a message box for a
// socket layer that cannot start, a socket that cannot be created and a local
// address that cannot be bound; without an address to bind to there is no
// socket and no message.
std::unique_ptr<DatagramSocket> OpenUdpSocket(Station& station);

}  // namespace rz
