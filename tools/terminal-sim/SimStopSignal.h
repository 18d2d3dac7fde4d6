// How dbp-terminal-sim learns it should stop: Ctrl+C or a termination
// request (SIGINT/SIGTERM; on Windows the console's control events).
// Both calls on the program's main thread.
#pragma once

// Before any other thread starts, so that only the waiter sees the request.
void prepareStopSignal();
// Blocks until a stop is requested.
void waitForStopSignal();
