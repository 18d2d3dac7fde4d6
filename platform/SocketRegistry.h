// Internal to the platform layer: the open sockets, so that closing the
// socket layer can shut every one of them down.
#pragma once

class UdpSocket;

// False (and nothing registered) when the socket layer is closed.
bool RegisterSocket(UdpSocket* socket);
void UnregisterSocket(UdpSocket* socket);
