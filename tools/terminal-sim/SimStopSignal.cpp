#include "SimStopSignal.h"

#include <csignal>
#include <pthread.h>

namespace {

sigset_t stopSignals;

}  // namespace

void prepareStopSignal()
{
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
}

void waitForStopSignal()
{
    int signal = 0;
    sigwait(&stopSignals, &signal);
}
