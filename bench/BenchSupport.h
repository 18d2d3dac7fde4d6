// Small helpers shared by the benchmarks: clocks, the process's memory
// figures, CPU time of another process, and running a benchmark's own
// measurements in child processes. Any thread.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <sys/types.h>

// Milliseconds on the monotonic clock, with sub-millisecond resolution.
double benchNowMs();

// A "Vm..." line of /proc/<pid>/status in kB (pid 0: this process); -1 if absent.
// On Windows only VmRSS and VmHWM, from the working set.
long benchStatusKb(const char* field, pid_t pid = 0);

// CPU time (user + system, all threads) of a process, in milliseconds; -1 if gone.
double benchCpuMs(pid_t pid);

// Voluntary plus involuntary context switches of every thread of a process;
// -1 on Windows.
long benchContextSwitches(pid_t pid);

// Runs this program again with `arguments` and waits; its output goes to
// ours. Returns its exit code (-1 if it could not run or crashed).
int benchRunSelf(const QStringList& arguments);

// Fleet sizes from the command line (numbers), or the defaults.
QList<int> benchFleetSizes(const QStringList& arguments, const QList<int>& defaults);
