#include "bench/BenchSupport.h"

#include <windows.h>
#include <psapi.h>

#include <cstring>

namespace {

HANDLE openProcess(pid_t pid)
{
    return pid == 0 ? GetCurrentProcess() : OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
}

void closeProcess(pid_t pid, HANDLE process)
{
    if (pid != 0 && process != nullptr)
        CloseHandle(process);
}

}  // namespace

// Windows keeps no /proc: the working set stands for the resident size.
long benchStatusKb(const char* field, pid_t pid)
{
    const bool peak = std::strcmp(field, "VmHWM") == 0;
    if (!peak && std::strcmp(field, "VmRSS") != 0)
        return -1;
    const HANDLE process = openProcess(pid);
    PROCESS_MEMORY_COUNTERS counters{};
    const bool known = process != nullptr && GetProcessMemoryInfo(process, &counters, sizeof counters);
    closeProcess(pid, process);
    if (!known)
        return -1;
    return static_cast<long>((peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / 1024);
}

double benchCpuMs(pid_t pid)
{
    const HANDLE process = openProcess(pid);
    FILETIME created, exited, kernel, user;
    const bool known = process != nullptr && GetProcessTimes(process, &created, &exited, &kernel, &user);
    closeProcess(pid, process);
    if (!known)
        return -1;
    const auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

// Windows counts context switches per thread only through undocumented
// calls; the figure is left out there.
long benchContextSwitches(pid_t)
{
    return -1;
}
