// The process's resident size as the kernel reports it, for benchmarks whose memory must
// not grow with the work: read the size before, reset the peak, run, read the peak.
#pragma once
#include <fstream>
#include <string>

// A line of /proc/self/status, in kilobytes.
inline long status_kb(const char *field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Lets VmHWM measure the peak from here on.
inline void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
