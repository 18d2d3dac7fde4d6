// dbp-terminal-sim: runs a simulated terminal fleet until asked to stop.
#include "SimOptions.h"
#include "SimStopSignal.h"
#include "TerminalSimulator.h"

#include <cstdio>

int main(int argc, char** argv)
{
    SimConfig config;
    bool help = false;
    std::string error;
    if (!parseSimOptions(argc, argv, &config, &help, &error)) {
        std::fprintf(stderr, "dbp-terminal-sim: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    }

    prepareStopSignal();

    TerminalSimulator simulator(config);
    if (!simulator.start()) {
        std::fprintf(stderr, "dbp-terminal-sim: %s\n", simulator.errorText().c_str());
        return 1;
    }
    std::printf("port %u terminals %d\n", simulator.port(), simulator.terminalCount());
    std::fflush(stdout);

    waitForStopSignal();
    simulator.stop();
    std::fprintf(
        stderr, "dbp-terminal-sim: %llu replies sent\n", static_cast<unsigned long long>(simulator.repliesSent()));
    return 0;
}
