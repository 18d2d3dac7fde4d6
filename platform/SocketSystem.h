// Internal to the platform layer: the system's own start-up and shut-down
// of its sockets under SocketLayerStartup and SocketLayerShutdown. Safe on
// any thread.
#pragma once

// False when the system's socket layer cannot be started.
bool StartSocketSystem();
// Ends one successful StartSocketSystem.
void StopSocketSystem();
