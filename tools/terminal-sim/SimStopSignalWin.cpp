#include "SimStopSignal.h"

#include <windows.h>

namespace {

HANDLE stopRequested = nullptr;

BOOL WINAPI onConsoleEvent(DWORD)
{
    SetEvent(stopRequested);
    // Handled: the main thread stops the simulator and returns.
    return TRUE;
}

}  // namespace

void prepareStopSignal()
{
    stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void waitForStopSignal()
{
    WaitForSingleObject(stopRequested, INFINITE);
}
