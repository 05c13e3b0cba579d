#pragma once
// CPU time and run count of every thread of a process, read from /proc: the kernel's run-time
// counter in ns and the number of times the thread ran (schedstat), the thread's name (comm).
// The difference of two snapshots says where a process spent its time between them and how often
// each thread woke up.

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace talvoro::bench {

struct ThreadSample {
    std::string name;
    long long runNs = 0;
    long long runs = 0;
};

using ProcessSample = std::map<int, ThreadSample>;  // by thread id

inline ThreadSample ReadThread(const std::string& taskDir) {
    ThreadSample sample;
    std::ifstream comm(taskDir + "/comm");
    std::getline(comm, sample.name);
    std::ifstream schedstat(taskDir + "/schedstat");
    long long waitNs = 0;
    schedstat >> sample.runNs >> waitNs >> sample.runs;
    return sample;
}

// `pid` 0 reads this process.
inline ProcessSample SampleProcess(int pid) {
    const std::string base =
        (pid == 0 ? std::string("/proc/self") : "/proc/" + std::to_string(pid)) + "/task";
    ProcessSample sample;
    DIR* dir = ::opendir(base.c_str());
    if (dir == nullptr) {
        return sample;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            const int tid = std::stoi(entry->d_name);
            ThreadSample thread = ReadThread(base + "/" + entry->d_name);
            if (tid == pid) {
                thread.name += " (main)";
            }
            sample[tid] = std::move(thread);
        }
    }
    ::closedir(dir);
    return sample;
}

inline double ThreadSeconds(int pid, int tid) {
    const std::string dir =
        (pid == 0 ? std::string("/proc/self") : "/proc/" + std::to_string(pid)) + "/task/" +
        std::to_string(tid);
    return static_cast<double>(ReadThread(dir).runNs) / 1e9;
}

// Adds to `total` what each thread used between the two samples.
inline void AddUse(ProcessSample& total, const ProcessSample& before, const ProcessSample& after) {
    for (const auto& [tid, now] : after) {
        const auto was = before.find(tid);
        const ThreadSample zero{};
        const ThreadSample& then = was == before.end() ? zero : was->second;
        ThreadSample& sum = total[tid];
        sum.name = now.name;
        sum.runNs += now.runNs - then.runNs;
        sum.runs += now.runs - then.runs;
    }
}

// Prints the threads that ran (`use` holds differences, see AddUse) with their CPU share of one
// core and their wake-ups per second, busiest first; `perItem` > 0 adds the CPU time per item
// (message) in ms.
inline void PrintThreadUse(const ProcessSample& use, double seconds, long perItem,
                           const char* indent) {
    std::vector<std::pair<int, ThreadSample>> ran;
    for (const auto& [tid, sample] : use) {
        if (sample.runs > 0) {
            ran.emplace_back(tid, sample);
        }
    }
    std::sort(ran.begin(), ran.end(),
              [](const auto& a, const auto& b) { return a.second.runNs > b.second.runNs; });
    for (const auto& [tid, sample] : ran) {
        const double cpu = static_cast<double>(sample.runNs) / 1e9;
        std::printf("%sthread %-23s %6.1f %% of a core  %7.0f wake-ups/s", indent,
                    sample.name.c_str(), cpu / seconds * 100.0,
                    static_cast<double>(sample.runs) / seconds);
        if (perItem > 0) {
            std::printf("  %.3f ms per message", cpu * 1000.0 / static_cast<double>(perItem));
        }
        std::printf("\n");
    }
}

}  // namespace talvoro::bench
