#pragma once

// Shared by the benchmarks: busy processes beside the program, and CPU clocks.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <sys/wait.h>
#include <stdlib.h>
#include <unistd.h>

/// Busy processes that compete with the program for the processors while alive.
class BusyProcesses {
public:
    explicit BusyProcesses(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                m_pids.push_back(pid);
        }
    }
    ~BusyProcesses() {
        for (const pid_t pid : m_pids)
            kill(pid, SIGKILL);
        for (const pid_t pid : m_pids)
            waitpid(pid, nullptr, 0);
    }
    BusyProcesses(const BusyProcesses&) = delete;
    BusyProcesses& operator=(const BusyProcesses&) = delete;

private:
    std::vector<pid_t> m_pids;
};

inline double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline double mainThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

/// The process's resident memory in MB (VmRSS), 0 where it cannot be read.
inline double residentMb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    double kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %lf", &kb) == 1)
            break;
    std::fclose(status);
    return kb / 1024;
}

/// The machine's load average over the last minute, as the benchmarks report it.
inline double loadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}
