// Process-wide start-up and shut-down of the socket layer. Calls nest: every
// successful start-up needs one shut-down, and the last shut-down closes the
// layer. Closing it makes every wait of every open socket fail at once (so
// receive loops end) and every later send fail; sockets cannot be opened
// while the layer is closed. Safe on any thread.
#pragma once

// False when the layer cannot be started.
bool SocketLayerStartup();

// Ends one start-up; the last one closes the layer. False when the layer
// was not started.
bool SocketLayerShutdown();

bool SocketLayerIsUp();
