// The environment variables that point the engine somewhere else than the
// real network (tests, the simulated demo fleet) or tune its searches:
//   DBP_BROADCAST_ADDR  dotted IPv4 destination of broadcasts
//   DBP_TERMINAL_PORT   destination port of every request (1 to 65535)
//   DBP_LOCAL_PORT      port the engine binds (0 to 65535, 0: any free port)
//   DBP_SEARCH_SENDS    when each GET of a search goes out (ms, ascending)
//   DBP_SWEEP_RATE      GETs by address per second in a sweep of ranges
// Read once at start-up on the user-interface thread.
#pragma once

#include "net/EndpointSettings.h"

#include <QStringList>

// `base` with each given value applied; a null or empty value leaves the
// setting alone, an invalid one leaves it too and adds a line to `problems`.
EndpointSettings applyEndpointOverrides(EndpointSettings base, const char* broadcastAddress, const char* terminalPort,
    const char* localPort, const char* searchSends, QStringList* problems);

// The defaults with the environment's overrides; each invalid value leaves
// its default and adds a line to `problems`.
EndpointSettings endpointSettingsFromEnvironment(QStringList* problems);

// The same for the window, which keeps the default for an invalid value:
// the problems go to standard error, each after the program's name.
EndpointSettings endpointSettingsFromEnvironment(const char* program = "QueryTool");
