#pragma once

#include <fstream>
#include <string>

// The resident memory of this process, in kilobytes, as Linux counts it.
inline long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}
